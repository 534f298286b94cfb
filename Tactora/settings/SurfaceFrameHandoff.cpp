#include "Tactora/settings/SurfaceFrameHandoff.h"

#include <algorithm>

namespace tactora::settings {

void SurfaceFrameHandoff::publish(const BorrowedFrame& frame) {
  const std::size_t count = std::min(frame.touches.size(), SurfaceSnapshot::maxContacts);
  std::lock_guard lock(mutex_);
  for (std::size_t i = 0; i < count; ++i) {
    const Touch& touch = frame.touches[i];
    latest_.contacts[i] = {touch.position.x, touch.position.y, touch.size,
                           touch.phase == TouchPhase::ended};
  }
  latest_.contactCount = count;
  latest_.surfaceSizeMM = frame.surfaceSizeMM;
  ++latest_.frameCount;
  changed_ = true;
}

void SurfaceFrameHandoff::gestureReceived(const GestureEvent& event) {
  // The steps of a drag or a swipe in progress would hide the gesture the user just made.
  switch (event.kind()) {
    case GestureEvent::Case::tap:
    case GestureEvent::Case::rightZoneTap:
    case GestureEvent::Case::swipe:
    case GestureEvent::Case::pinch:
    case GestureEvent::Case::doubleTap:
    case GestureEvent::Case::tripleTap:
    case GestureEvent::Case::dragBegan:
      break;
    case GestureEvent::Case::dragMoved:
    case GestureEvent::Case::dragEnded:
    case GestureEvent::Case::dragScrollMoved:
    case GestureEvent::Case::dragScrollEnded:
    case GestureEvent::Case::swipeCandidateBegan:
      return;
  }
  std::lock_guard lock(mutex_);
  latest_.lastGesture = event;
  changed_ = true;
}

bool SurfaceFrameHandoff::takeLatest(SurfaceSnapshot& snapshot) {
  std::lock_guard lock(mutex_);
  if (!changed_) {
    return false;
  }
  snapshot = latest_;
  changed_ = false;
  return true;
}

}  // namespace tactora::settings
