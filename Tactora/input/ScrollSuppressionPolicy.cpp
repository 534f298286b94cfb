#include "Tactora/input/ScrollSuppressionPolicy.h"

#include <algorithm>
#include <optional>

namespace tactora {

ScrollSuppressionMode ScrollSuppressionPolicy::updateForFrame(int touchCount, double ageSeconds,
                                                              double nowSeconds) {
  if (touchCount < 1) {
    reset();
    return mode_;
  }
  // Several fingers landing are the start of a multi-finger gesture far more often than of a
  // scroll, so scrolling waits for the first 0.2 s; one finger alone scrolls at once.
  const bool youngMultiFinger = ageSeconds < youngContactWindowSeconds && touchCount != 1;
  if (youngMultiFinger || isDragging_ || nowSeconds < suppressAllUntil_) {
    mode_ = ScrollSuppressionMode::all;
  } else if (nowSeconds < suppressHorizontalUntil_) {
    mode_ = ScrollSuppressionMode::horizontalOnly;
  } else {
    mode_ = ScrollSuppressionMode::none;
  }
  return mode_;
}

ScrollSuppressionMode ScrollSuppressionPolicy::updateForEvent(const GestureEvent& event,
                                                              int touchCount, double nowSeconds) {
  std::optional<double> deadline;
  switch (event.kind()) {
    case GestureEvent::Case::swipe:
      deadline = nowSeconds + swipeHoldSeconds;
      break;
    case GestureEvent::Case::swipeCandidateBegan:
      deadline = nowSeconds + swipeCandidateHoldSeconds;
      break;
    case GestureEvent::Case::dragBegan:
      isDragging_ = true;
      break;
    case GestureEvent::Case::dragEnded:
      isDragging_ = false;
      break;
    case GestureEvent::Case::tap:
    case GestureEvent::Case::rightZoneTap:
    case GestureEvent::Case::pinch:
    case GestureEvent::Case::doubleTap:
    case GestureEvent::Case::tripleTap:
    case GestureEvent::Case::dragMoved:
    case GestureEvent::Case::dragScrollMoved:
    case GestureEvent::Case::dragScrollEnded:
      return mode_;
  }
  if (deadline) {
    // A one-finger swipe is horizontal only, so it needs to hold back only horizontal scrolling;
    // vertical scrolling with that finger stays native.
    double& until = touchCount >= 2 ? suppressAllUntil_ : suppressHorizontalUntil_;
    until = std::max(until, *deadline);
  }
  if (isDragging_ || nowSeconds < suppressAllUntil_) {
    mode_ = ScrollSuppressionMode::all;
  } else if (nowSeconds < suppressHorizontalUntil_) {
    // An event raises the mode within a frame but never lowers it: `all` stays `all`.
    if (mode_ != ScrollSuppressionMode::all) {
      mode_ = ScrollSuppressionMode::horizontalOnly;
    }
  }
  return mode_;
}

void ScrollSuppressionPolicy::reset() {
  mode_ = ScrollSuppressionMode::none;
  suppressAllUntil_ = never;
  suppressHorizontalUntil_ = never;
  isDragging_ = false;
}

}  // namespace tactora
