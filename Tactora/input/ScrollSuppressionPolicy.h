#pragma once

#include <limits>

#include "GestureEngine/GestureEvent.h"
#include "Tactora/input/ScrollSuppressionMode.h"

namespace tactora {

// Decides, from the touches of each frame and the events the engine emits, whether native
// scrolling is swallowed: early in a multi-finger touch, around a swipe and during a tap-drag.
// A plain value used on the frame thread; it owns no clock (callers pass uptime seconds).
class ScrollSuppressionPolicy {
 public:
  static constexpr double youngContactWindowSeconds = 0.2;
  static constexpr double swipeHoldSeconds = 0.6;
  static constexpr double swipeCandidateHoldSeconds = 0.35;

  // Decides the mode from scratch for a frame with `touchCount` touching contacts, the earliest
  // of which touched down `ageSeconds` ago. A frame with no contact resets everything.
  ScrollSuppressionMode updateForFrame(int touchCount, double ageSeconds, double nowSeconds);
  // Extends the holds for a swipe or swipe candidate, follows the drag. Never lowers the mode.
  ScrollSuppressionMode updateForEvent(const GestureEvent& event, int touchCount,
                                       double nowSeconds);
  void reset();

  ScrollSuppressionMode mode() const { return mode_; }
  double suppressAllUntil() const { return suppressAllUntil_; }
  double suppressHorizontalUntil() const { return suppressHorizontalUntil_; }
  bool isDragging() const { return isDragging_; }

 private:
  static constexpr double never = -std::numeric_limits<double>::infinity();

  ScrollSuppressionMode mode_ = ScrollSuppressionMode::none;
  double suppressAllUntil_ = never;
  double suppressHorizontalUntil_ = never;
  bool isDragging_ = false;
};

}  // namespace tactora
