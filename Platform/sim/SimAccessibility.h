#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Platform/Accessibility.h"

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

 private:
  SimPermissions& permissions_;
  mutable std::mutex mutex_;
  std::map<Step, platform::AXError> failures_;
  std::vector<std::string> calls_;
  int pressCount_ = 0;
};

}  // namespace tactora::sim
