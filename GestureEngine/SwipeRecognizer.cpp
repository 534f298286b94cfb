#include "GestureEngine/SwipeRecognizer.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "GestureEngine/SurfaceGeometry.h"

namespace tactora {

namespace {

// One finger sliding must be clearly horizontal (vertical one-finger movement is scrolling);
// several fingers together are less ambiguous.
constexpr float oneFingerDominanceRatio = 2.5f;
constexpr float multiFingerDominanceRatio = 1.5f;
// Every finger must have travelled at least this fraction of the farthest one's distance.
constexpr float minTravelAgreement = 0.5f;
// Share of the swipe's travel at which the swipe is announced as a candidate.
constexpr float candidateTravelFraction = 0.35f;
// Floor of the time a swipe has taken, so a same-frame touch-down and move has a finite speed.
constexpr double minElapsedSeconds = 0.001;

}  // namespace

SwipeRecognizer::SwipeRecognizer(UptimeClock clock) : clock_(std::move(clock)) {}

void SwipeRecognizer::process(const BorrowedFrame& frame, const RecognitionConfig& config,
                              const GestureEmit& emit) {
  run(frame, config, &emit);
}

void SwipeRecognizer::processSilently(const BorrowedFrame& frame, const RecognitionConfig& config) {
  run(frame, config, nullptr);
}

void SwipeRecognizer::reset(const GestureEmit&) {
  contacts_.clear();
  sessionMaxFingers_ = 0;
  sessionDisqualified_ = false;
  hasSignaledCandidateThisSession_ = false;
  hasFiredThisSession_ = false;
}

void SwipeRecognizer::run(const BorrowedFrame& frame, const RecognitionConfig& config,
                          const GestureEmit* emit) {
  const double now = clock_();
  if (frame.physicalButtonDown) {
    sessionDisqualified_ = true;
  }
  for (const Touch& touch : frame.touches) {
    switch (touch.phase) {
      case TouchPhase::began:
        if (contacts_.insertOrAssign(touch.id, ContactState{now, touch.position, touch.position})) {
          sessionMaxFingers_ = std::max(sessionMaxFingers_, static_cast<int>(contacts_.size()));
        }
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
    sessionMaxFingers_ = 0;
    sessionDisqualified_ = false;
    hasSignaledCandidateThisSession_ = false;
    hasFiredThisSession_ = false;
    return;
  }
  if (sessionDisqualified_ || hasFiredThisSession_) {
    return;
  }

  // The finger count reported is the session's largest: three fingers landing and one lifting
  // early is still a three-finger swipe.
  const int fingers = sessionMaxFingers_;
  if (fingers == 1 && !config.oneFingerSwipeEnabled) {
    return;
  }
  const float ratio = fingers == 1 ? oneFingerDominanceRatio : multiFingerDominanceRatio;
  const std::optional<Movement> movement = analyse(contacts_, frame.surfaceSizeMM, ratio, now);
  if (!movement) {
    return;
  }
  const bool vertical =
      movement->direction == Direction::up || movement->direction == Direction::down;
  if (fingers == 1 && vertical) {
    return;
  }

  float thresholdMM = config.oneFingerSwipeMinTravelMM;
  if (fingers != 1) {
    thresholdMM = vertical ? config.swipeMinTravelMMY : config.swipeMinTravelMMX;
  }
  const bool fastEnough = movement->speedMMPerS >= config.swipeMinVelocityMMPerS;

  if (!hasSignaledCandidateThisSession_ && fastEnough &&
      movement->travelMM >= candidateTravelFraction * thresholdMM) {
    hasSignaledCandidateThisSession_ = true;
    if (emit != nullptr) {
      (*emit)(GestureEvent::swipeCandidateBegan());
    }
  }
  if (fastEnough && movement->travelMM >= thresholdMM) {
    hasFiredThisSession_ = true;
    if (emit != nullptr) {
      (*emit)(GestureEvent::swipe(fingers, movement->direction));
    }
  }
}

std::optional<SwipeRecognizer::Movement> SwipeRecognizer::analyse(
    const ContactTable<ContactState>& contacts, SizeF surfaceSizeMM, float dominanceRatio,
    double now) {
  if (contacts.empty()) {
    return std::nullopt;
  }
  PointF sum;
  float largestSquared = 0;
  float smallestSquared = 0;
  bool first = true;
  double earliestStart = now;
  for (const auto& entry : contacts.entries()) {
    const PointF d =
        displacementMM(entry.state.startPosition, entry.state.lastPosition, surfaceSizeMM);
    sum.x += d.x;
    sum.y += d.y;
    const float squared = d.x * d.x + d.y * d.y;
    largestSquared = first ? squared : std::max(largestSquared, squared);
    smallestSquared = first ? squared : std::min(smallestSquared, squared);
    first = false;
    earliestStart = std::min(earliestStart, entry.state.startTime);
  }

  if (contacts.size() >= 2 && largestSquared > 0 &&
      !(std::sqrt(smallestSquared / largestSquared) >= minTravelAgreement)) {
    return std::nullopt;
  }

  const float count = static_cast<float>(contacts.size());
  const PointF mean{sum.x / count, sum.y / count};
  const float ax = std::fabs(mean.x);
  const float ay = std::fabs(mean.y);
  if (!(dominanceRatio * ay < ax) && !(dominanceRatio * ax < ay)) {
    return std::nullopt;
  }

  Direction direction;
  if (ay <= ax) {
    direction = mean.x > 0 ? Direction::right : Direction::left;
  } else {
    direction = mean.y > 0 ? Direction::up : Direction::down;
  }
  const float travelMM = std::max(ax, ay);
  const double elapsedSeconds = std::max(now - earliestStart, minElapsedSeconds);
  return Movement{direction, travelMM, static_cast<float>(travelMM / elapsedSeconds)};
}

}  // namespace tactora
