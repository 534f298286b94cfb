#include "GestureEngine/PinchRecognizer.h"

#include <algorithm>
#include <cmath>

#include "GestureEngine/SurfaceGeometry.h"

namespace tactora {

namespace {

// Both fingers must move: the slower at least this fraction as far as the faster. A resting
// finger with one moving away from it is a drag of one finger, not a pinch.
constexpr float minTravelAgreement = 0.5f;

}  // namespace

void PinchRecognizer::process(const BorrowedFrame& frame, const RecognitionConfig& config,
                              const GestureEmit& emit) {
  run(frame, config, &emit);
}

void PinchRecognizer::processSilently(const BorrowedFrame& frame, const RecognitionConfig& config) {
  run(frame, config, nullptr);
}

void PinchRecognizer::reset(const GestureEmit&) {
  contacts_.clear();
  thirdFingerJoined_ = false;
  hasFiredThisSession_ = false;
}

void PinchRecognizer::run(const BorrowedFrame& frame, const RecognitionConfig& config,
                          const GestureEmit* emit) {
  for (const Touch& touch : frame.touches) {
    switch (touch.phase) {
      case TouchPhase::began:
        if (contacts_.size() >= 2) {
          thirdFingerJoined_ = true;
        }
        contacts_.insertOrAssign(touch.id, ContactState{touch.position, touch.position});
        break;
      case TouchPhase::moved:
        if (ContactState* state = contacts_.find(touch.id)) {
          state->lastPosition = touch.position;
        }
        break;
      case TouchPhase::ended:
        contacts_.erase(touch.id);
        break;
    }
  }

  if (contacts_.empty()) {
    thirdFingerJoined_ = false;
    hasFiredThisSession_ = false;
    return;
  }
  if (contacts_.size() != 2 || thirdFingerJoined_ || hasFiredThisSession_) {
    return;
  }

  const ContactState& a = contacts_.entries()[0].state;
  const ContactState& b = contacts_.entries()[1].state;
  const SizeF surface = frame.surfaceSizeMM;
  const float travelA = distanceMM(a.startPosition, a.lastPosition, surface);
  const float travelB = distanceMM(b.startPosition, b.lastPosition, surface);
  const float larger = std::max(travelA, travelB);
  if (!(larger > 0) || std::min(travelA, travelB) / larger < minTravelAgreement) {
    return;
  }
  const float startDistance = distanceMM(a.startPosition, b.startPosition, surface);
  const float currentDistance = distanceMM(a.lastPosition, b.lastPosition, surface);
  const float change = currentDistance - startDistance;
  if (!(std::fabs(change) >= config.pinchMinDeltaMM)) {
    return;
  }
  hasFiredThisSession_ = true;
  if (emit != nullptr) {
    (*emit)(GestureEvent::pinch(change > 0 ? Direction::up : Direction::down));
  }
}

}  // namespace tactora
