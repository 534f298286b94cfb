#pragma once

#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Platform/Accessibility.h"
#include "Platform/sim/RecordStream.h"

namespace tactora::sim {

class SimPermissions;

// A focused application with a focused window that has a close button. A test removes any step
// or makes it fail; without the Accessibility grant every call fails with `apiDisabled`.
class SimAccessibility : public platform::Accessibility {
 public:
  // The steps of closing the focused window, in order.
  enum class Step { focusedApplication, focusedWindow, closeButton, press };

  explicit SimAccessibility(SimPermissions& permissions);

  std::shared_ptr<platform::AXElement> createSystemWide() override;
  platform::AXError copyElementAttribute(const platform::AXElement& element,
                                         std::string_view attribute,
                                         std::shared_ptr<platform::AXElement>& value) override;
  platform::AXError performAction(const platform::AXElement& element,
                                  std::string_view action) override;

  // `step` answers `error` from now on (noValue: the attribute is simply absent).
  void failStep(Step step, platform::AXError error = platform::AXError::noValue);
  void clearFailures();

  // Every attribute read and action performed, in order ("AXFocusedApplication", ...,
  // "AXPress"), including failed ones.
  std::vector<std::string> calls() const;
  // Close buttons actually pressed.
  int pressCount() const;
  void clearRecords();

  // An action performed on an element, successful or not. The element is named by the attribute
  // that reached it ("AXCloseButton"), or "AXSystemWide".
  struct PerformedAction {
    std::string element;
    std::string action;
    platform::AXError result;
  };
  // Called right after each action is performed, on the calling thread and outside the lock, so
  // output can interleave with posted events in the order things happened. Null clears. With
  // `keep` false calls are only shown to the observer, not kept.
  void setPerformedObserver(std::function<void(const PerformedAction&)> observer);
  void setKeepsRecords(bool keep);

 private:
  SimPermissions& permissions_;
  mutable std::mutex mutex_;
  std::map<Step, platform::AXError> failures_;
  RecordStream<std::string> calls_;
  int pressCount_ = 0;
  std::function<void(const PerformedAction&)> performedObserver_;

  platform::AXError performLocked(const platform::AXElement& element, std::string_view action,
                                  bool trusted);
};

}  // namespace tactora::sim
