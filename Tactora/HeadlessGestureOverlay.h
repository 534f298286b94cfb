#pragma once

#include <memory>
#include <string>

#include "Platform/Platform.h"
#include "Tactora/GestureOverlayPresenting.h"
#include "Tactora/HeadsUpCountdown.h"

namespace tactora {

// The gesture overlay without a window: the same text and the same countdown on the main queue,
// so that runs without a screen (the replay command) keep the overlay's timing.
class HeadlessGestureOverlay : public GestureOverlayPresenting {
 public:
  static constexpr const char* separator = "  \u00b7  ";

  explicit HeadlessGestureOverlay(platform::Platform& platform);

  void show(const GestureEvent& event, const Action& action) override;

  bool isVisible() const { return countdown_->isShown(); }
  double alpha() const { return countdown_->alpha(); }
  const std::string& text() const { return text_; }

  // "3-Finger Tap  ·  Mission Control".
  static std::string textFor(const GestureEvent& event, const Action& action);

 private:
  std::string text_;
  std::shared_ptr<HeadsUpCountdown> countdown_;
};

}  // namespace tactora
