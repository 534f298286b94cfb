#pragma once

#include <memory>
#include <string>

#include "Platform/Platform.h"
#include "Platform/WorkItem.h"
#include "Tactora/GestureOverlayPresenting.h"

namespace tactora {

// The gesture overlay without a window: the same text, the same 0.9 s display and 0.25 s fade on
// the main queue, so that runs without a screen (the replay command) keep the overlay's timing.
class HeadlessGestureOverlay : public GestureOverlayPresenting,
                               public std::enable_shared_from_this<HeadlessGestureOverlay> {
 public:
  static constexpr double shownSeconds = 0.9;
  static constexpr double fadeSeconds = 0.25;
  static constexpr const char* separator = "  \u00b7  ";

  explicit HeadlessGestureOverlay(platform::Platform& platform) : platform_(platform) {}

  void show(const GestureEvent& event, const Action& action) override;

  bool isVisible() const { return visible_; }
  double alpha() const { return alpha_; }
  const std::string& text() const { return text_; }

  // "3-Finger Tap  ·  Mission Control".
  static std::string textFor(const GestureEvent& event, const Action& action);

 private:
  void fadeOut();

  platform::Platform& platform_;
  bool visible_ = false;
  double alpha_ = 0;
  std::string text_;
  std::shared_ptr<platform::WorkItem> hideWorkItem_;
};

}  // namespace tactora
