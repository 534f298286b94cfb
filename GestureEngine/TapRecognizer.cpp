#include "GestureEngine/TapRecognizer.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

#include "GestureEngine/SurfaceGeometry.h"

namespace tactora {

namespace {

// A contact's position this long after touch-down is its settled position: the landing wobble
// is over by then.
constexpr double settleDelaySeconds = 0.02;
// The slide test stops at the newest sample at least this much older than the contact's last
// sample, so lift-off jitter does not count as sliding.
constexpr double slideLiftMarginSeconds = 0.03;
// Shorter stretches between the settled sample and the end sample say nothing about speed.
constexpr double minSlideSpanSeconds = 0.02;
// A resting finger that becomes the scroll finger must move this far before it scrolls, so the
// drag's own jolts do not scroll.
constexpr float scrollDeadzoneMM = 1.5f;
// Floor of the time between two scroll samples, so frames arriving together keep the velocity
// finite.
constexpr float minScrollIntervalSeconds = 0.001f;
// Exponential smoothing of the scroll velocity: share kept from the previous value.
constexpr float scrollVelocityRetention = 0.7f;
// Streaks count up to a triple tap; further taps of the streak repeat the triple tap.
constexpr int maxTapStreak = 3;

constexpr double never = -std::numeric_limits<double>::infinity();

float travelLimitMM(double elapsedSeconds, const RecognitionConfig& config) {
  return elapsedSeconds < config.tapQuickDuration ? config.tapMaxTravelMM
                                                  : config.tapMaxTravelMMSlow;
}

}  // namespace

TapRecognizer::TapRecognizer(UptimeClock clock)
    : clock_(std::move(clock)),
      lastFireTime_(never),
      lastSingleTapTime_(never),
      recentTapTime_(never) {}

void TapRecognizer::reset(const GestureEmit& emit) {
  dropDragRoles(emit);
  contacts_.clear();
  tapSessionFingerIDs_.clear();
  tapSessionQualifiedLifts_ = 0;
  tapSessionDisqualified_ = false;
  tapSessionTapPosition_.reset();
  recentTapFingers_.reset();
  recentTapStreak_ = 0;
  recentTapTime_ = never;
  scrollVelocity_ = {};
  scrollLastMoveTime_ = 0;
  scrollDeadzoneAnchor_.reset();
  // lastFireTime_ and lastSingleTapTime_ survive: debounce and tap-then-hold look across resets.
}

void TapRecognizer::process(const BorrowedFrame& frame, const RecognitionConfig& config,
                            const GestureEmit& emit) {
  const FrameContext context{frame, config, emit, clock_()};
  // A click is not a tap: the session under way (or the next one, if none is open) fires nothing.
  if (frame.physicalButtonDown) {
    tapSessionDisqualified_ = true;
  }
  for (const Touch& touch : frame.touches) {
    switch (touch.phase) {
      case TouchPhase::began:
        touchDown(touch, context);
        break;
      case TouchPhase::moved:
        contactMoved(touch, context);
        break;
      case TouchPhase::ended:
        lift(touch, context);
        break;
    }
  }
}

// --- Contacts ----------------------------------------------------------------------------------

void TapRecognizer::touchDown(const Touch& touch, const FrameContext& context) {
  const ContactID id = touch.id;
  if (contacts_.contains(id)) {
    return;
  }
  ContactState state;
  state.startTime = context.now;
  state.startPosition = touch.position;
  state.startCursorPosition = context.frame.cursorPosition;
  state.peakSize = touch.size;
  state.lastPosition = touch.position;
  state.recent.push(touch.position, context.now);
  if (!contacts_.insertOrAssign(id, state)) {
    return;  // more contacts than the device can report: this one is not followed
  }
  tapSessionFingerIDs_.insert(id);

  if (isSoleFinger(id)) {
    selectDragCandidate(id, context);
    return;
  }
  if (handleSecondFinger(id, touch.position, context) ==
      SecondFingerOutcome::adoptedAsScrollFinger) {
    tapSessionFingerIDs_.erase(id);
    fireTapWhenSessionEnds(context);
  }
}

void TapRecognizer::contactMoved(const Touch& touch, const FrameContext& context) {
  const ContactID id = touch.id;
  ContactState* state = contacts_.find(id);
  if (state == nullptr) {
    return;
  }
  const float deviationMM =
      distanceMM(state->startPosition, touch.position, context.frame.surfaceSizeMM);
  state->maxDeviationMM = std::max(state->maxDeviationMM, deviationMM);
  state->peakSize = std::max(state->peakSize, touch.size);
  state->lastPosition = touch.position;
  if (!state->settledPosition && context.now - state->startTime >= settleDelaySeconds) {
    state->settledPosition = touch.position;
    state->settledTime = context.now;
  }
  state->recent.push(touch.position, context.now);
  const double startTime = state->startTime;
  const float maxDeviationMM = state->maxDeviationMM;

  if (context.frame.physicalButtonDown) {
    // Pressing the button takes over from the gesture: the drag ends and every role is dropped.
    dropDragRoles(context.emit);
  } else if (holdsDragFinger(id)) {
    dragFingerMoved(id, context);
  } else if (holdsScrollFinger(id)) {
    scrollFingerMoved(touch.position, context);
  } else if (holdsPendingScrollFinger(id)) {
    scrollLastPosition_ = touch.position;
  }

  // Early drop: a contact that has stayed too long or travelled too far can no longer be a tap.
  // It leaves the session without spoiling it, so a finger resting while another taps does not
  // stop that tap (the rest is dropped after tapMaxDuration and the session closes on the tap).
  if (tapSessionFingerIDs_.contains(id)) {
    const double elapsedSeconds = context.now - startTime;
    if (elapsedSeconds > context.config.tapMaxDuration ||
        maxDeviationMM > travelLimitMM(elapsedSeconds, context.config)) {
      tapSessionFingerIDs_.erase(id);
      fireTapWhenSessionEnds(context);
    }
  }
}

void TapRecognizer::lift(const Touch& touch, const FrameContext& context) {
  const ContactID id = touch.id;
  const std::optional<ContactState> removed = contacts_.take(id);
  if (!removed) {
    return;
  }
  const ContactState& state = *removed;

  if (holdsScrollFinger(id)) {
    scrollFingerLifted(context);
    tapSessionFingerIDs_.erase(id);
    fireTapWhenSessionEnds(context);
    return;
  }
  if (holdsPendingScrollFinger(id)) {
    dragState_ = DragState::armed;
  }
  if (holdsDragFinger(id)) {
    // A scroll finger still down is simply no longer one; its momentum is not reported.
    const bool wasDragging = isDragging();
    dropDragRoles(context.emit);
    if (wasDragging) {
      // A drag never counts as a tap.
      tapSessionFingerIDs_.erase(id);
      fireTapWhenSessionEnds(context);
      return;
    }
  }
  if (!tapSessionFingerIDs_.erase(id)) {
    return;
  }

  const RecognitionConfig& config = context.config;
  const double durationSeconds = context.now - state.startTime;
  const float travelMM =
      distanceMM(state.startPosition, touch.position, context.frame.surfaceSizeMM);
  const float deviationMM = std::max(state.maxDeviationMM, travelMM);
  const float size = std::max(state.peakSize, touch.size);
  const bool qualifies =
      config.minTapDuration <= durationSeconds && durationSeconds <= config.tapMaxDuration &&
      deviationMM <= travelLimitMM(durationSeconds, config) && config.minTouchSize <= size &&
      !findsSlide(state, config, context.frame.surfaceSizeMM);
  if (qualifies) {
    ++tapSessionQualifiedLifts_;
    tapSessionTapPosition_ = state.startPosition;
  } else {
    tapSessionDisqualified_ = true;
  }
  fireTapWhenSessionEnds(context);
}

bool TapRecognizer::holdsDragFinger(ContactID id) const {
  return dragState_ != DragState::idle && dragFingerID_ == id;
}

bool TapRecognizer::holdsScrollFinger(ContactID id) const {
  return dragState_ == DragState::draggingWithScroll && scrollFingerID_ == id;
}

bool TapRecognizer::holdsPendingScrollFinger(ContactID id) const {
  return dragState_ == DragState::armedWithPending && scrollFingerID_ == id;
}

// A contact is the sole finger when no other contact holds a drag or scroll role and the tap
// session holds nothing else. A candidate whose contact is gone no longer counts.
bool TapRecognizer::isSoleFinger(ContactID id) const {
  const bool dragFingerFree = dragFingerID_ == id || !contacts_.contains(dragFingerID_);
  bool rolesFree = true;
  switch (dragState_) {
    case DragState::idle:
      break;
    case DragState::armed:
    case DragState::dragging:
      rolesFree = dragFingerFree;
      break;
    case DragState::armedWithPending:
    case DragState::draggingWithScroll:
      rolesFree = dragFingerFree && scrollFingerID_ == id;
      break;
  }
  return rolesFree && tapSessionFingerIDs_.holdsNothingBut(id);
}

// A quick flick (a scroll gesture) can stay within the travel limit of a tap. It shows as speed in
// the middle of the contact: the test measures from the settled sample (20 ms after touch-down) to
// the newest sample that is at least 30 ms older than the last one. Example: a 0.12 s contact
// that moves 5 mm between 30 and 60 ms and then rests slides at about 70 mm/s, faster than the
// 50 mm/s of a tap's wobble, so it is not a tap.
bool TapRecognizer::findsSlide(const ContactState& state, const RecognitionConfig& config,
                               SizeF surfaceSizeMM) const {
  if (!(config.tapMaxSlideSpeedMMPerS > 0) || !state.settledPosition || state.recent.empty()) {
    return false;
  }
  const SampleRing& ring = state.recent;
  const double newestTime = ring.time(0);
  for (std::size_t age = 0; age < ring.count(); ++age) {
    if (ring.time(age) <= newestTime - slideLiftMarginSeconds) {
      const double spanSeconds = ring.time(age) - state.settledTime;
      if (spanSeconds < minSlideSpanSeconds) {
        return false;
      }
      const float slidMM = distanceMM(*state.settledPosition, ring.position(age), surfaceSizeMM);
      return slidMM / spanSeconds > config.tapMaxSlideSpeedMMPerS;
    }
  }
  return false;
}

// --- Tap sessions ------------------------------------------------------------------------------

void TapRecognizer::fireTapWhenSessionEnds(const FrameContext& context) {
  if (!tapSessionFingerIDs_.empty()) {
    return;
  }
  const int fingers = tapSessionQualifiedLifts_;
  const std::optional<PointF> tapPosition = tapSessionTapPosition_;
  const bool disqualified = tapSessionDisqualified_;
  tapSessionQualifiedLifts_ = 0;
  tapSessionTapPosition_.reset();
  tapSessionDisqualified_ = false;

  if (disqualified || fingers < 1) {
    return;
  }
  const RecognitionConfig& config = context.config;
  const double now = context.now;
  if (now - lastFireTime_ < config.tapDebounce) {
    return;
  }
  lastFireTime_ = now;

  if (fingers == 1) {
    lastSingleTapTime_ = now;
    if (config.rightZoneTapEnabled && tapPosition && tapPosition->x >= config.rightZoneMinX &&
        tapPosition->y >= config.rightZoneMinY) {
      // The corner tap has its own meaning; it never starts or continues a multi-tap streak.
      recentTapFingers_.reset();
      recentTapStreak_ = 0;
      context.emit(GestureEvent::rightZoneTap());
      return;
    }
  }

  // The window runs from the streak's previous tap, not its first.
  if (recentTapFingers_ == fingers && now - recentTapTime_ <= config.doubleTapWindow) {
    recentTapStreak_ = std::min(recentTapStreak_ + 1, maxTapStreak);
  } else {
    recentTapStreak_ = 1;
    recentTapFingers_ = fingers;
  }
  recentTapTime_ = now;
  switch (recentTapStreak_) {
    case 1:
      context.emit(GestureEvent::tap(fingers));
      break;
    case 2:
      context.emit(GestureEvent::doubleTap(fingers));
      break;
    default:
      context.emit(GestureEvent::tripleTap(fingers));
      break;
  }
}

// --- Drag and drag-scroll ----------------------------------------------------------------------

void TapRecognizer::selectDragCandidate(ContactID id, const FrameContext& context) {
  bool selected = false;
  switch (context.config.dragActivation) {
    case DragActivation::disabled:
      break;
    case DragActivation::fingerRest:
      selected = true;
      break;
    case DragActivation::doubleTapHold:
      // Tap, then touch again and hold: the second touch must come within the second-tap window
      // of a one-finger tap.
      selected = context.now - lastSingleTapTime_ <= context.config.doubleTapWindow;
      break;
  }
  dragState_ = selected ? DragState::armed : DragState::idle;
  dragFingerID_ = id;
}

TapRecognizer::SecondFingerOutcome TapRecognizer::handleSecondFinger(ContactID id, PointF position,
                                                                     const FrameContext& context) {
  switch (dragState_) {
    case DragState::dragging:
      if (context.config.dragScrollEnabled) {
        adoptScrollFinger(id, position, std::nullopt, context.now);
        return SecondFingerOutcome::adoptedAsScrollFinger;
      }
      break;
    case DragState::armed:
      if (context.config.dragScrollEnabled) {
        // The drag has not started yet: remember the finger so it can scroll once it does.
        dragState_ = DragState::armedWithPending;
        scrollFingerID_ = id;
        scrollLastPosition_ = position;
        return SecondFingerOutcome::pendingScrollFinger;
      }
      break;
    case DragState::idle:
    case DragState::armedWithPending:
    case DragState::draggingWithScroll:
      break;
  }
  // A finger that cannot be placed: a running drag ends, and no drag role survives.
  dropDragRoles(context.emit);
  return SecondFingerOutcome::rolesCleared;
}

void TapRecognizer::adoptScrollFinger(ContactID id, PointF position,
                                      std::optional<PointF> deadzoneAnchor, double now) {
  dragState_ = DragState::draggingWithScroll;
  scrollFingerID_ = id;
  scrollLastPosition_ = position;
  scrollDeadzoneAnchor_ = deadzoneAnchor;
  scrollVelocity_ = {};
  scrollLastMoveTime_ = now;
}

// The drag follows the pointer, not the finger: the finger rests while the whole mouse moves.
void TapRecognizer::dragFingerMoved(ContactID id, const FrameContext& context) {
  const bool secondFingerHeld =
      dragState_ == DragState::armedWithPending || dragState_ == DragState::draggingWithScroll;
  if (!isSoleFinger(id) && !(secondFingerHeld && contacts_.size() == 2)) {
    return;
  }
  switch (dragState_) {
    case DragState::dragging:
    case DragState::draggingWithScroll:
      context.emit(GestureEvent::dragMoved());
      return;
    case DragState::armed:
    case DragState::armedWithPending:
      break;
    case DragState::idle:
      return;  // no drag finger to follow
  }
  const ContactState* state = contacts_.find(id);
  const PointF start = state->startCursorPosition;
  const PointF cursor = context.frame.cursorPosition;
  const float travelPoints = std::hypot(cursor.x - start.x, cursor.y - start.y);
  if (!(travelPoints > context.config.dragActivationPixels)) {
    return;
  }
  const bool hasPendingFinger = dragState_ == DragState::armedWithPending;
  dragState_ = DragState::dragging;
  context.emit(GestureEvent::dragBegan(start.x, start.y));

  if (hasPendingFinger) {
    // The promoted finger stays in the tap session; holding on during the drag drops it from there.
    adoptScrollFinger(scrollFingerID_, scrollLastPosition_, std::nullopt, context.now);
  } else if (context.config.dragScrollEnabled && contacts_.size() == 2) {
    // A finger that was already resting becomes the scroll finger, but behind a dead zone: it has
    // been lying still, and the drag's start must not scroll.
    for (const auto& entry : contacts_.entries()) {
      if (entry.id != id) {
        const PointF rest = entry.state.lastPosition;
        adoptScrollFinger(entry.id, rest, rest, context.now);
        tapSessionFingerIDs_.erase(entry.id);
        break;
      }
    }
  }
}

void TapRecognizer::scrollFingerMoved(PointF position, const FrameContext& context) {
  const SizeF surface = context.frame.surfaceSizeMM;
  PointF base = scrollLastPosition_;
  if (scrollDeadzoneAnchor_) {
    if (distanceMM(*scrollDeadzoneAnchor_, position, surface) <= scrollDeadzoneMM) {
      scrollLastMoveTime_ = context.now;
      return;
    }
    // The first scroll covers the whole way from where the finger rested.
    base = *scrollDeadzoneAnchor_;
    scrollDeadzoneAnchor_.reset();
  }
  float intervalSeconds = static_cast<float>(context.now - scrollLastMoveTime_);
  if (!(intervalSeconds > minScrollIntervalSeconds)) {
    intervalSeconds = minScrollIntervalSeconds;
  }
  const PointF delta = displacementMM(base, position, surface);
  scrollLastPosition_ = position;
  constexpr float fresh = 1.0f - scrollVelocityRetention;
  scrollVelocity_.x =
      scrollVelocityRetention * scrollVelocity_.x + fresh * (delta.x / intervalSeconds);
  scrollVelocity_.y =
      scrollVelocityRetention * scrollVelocity_.y + fresh * (delta.y / intervalSeconds);
  scrollLastMoveTime_ = context.now;
  if (delta.x != 0 || delta.y != 0) {
    context.emit(GestureEvent::dragScrollMoved(delta.x, delta.y));
  }
}

void TapRecognizer::scrollFingerLifted(const FrameContext& context) {
  dragState_ = DragState::dragging;
  scrollDeadzoneAnchor_.reset();
  const PointF velocity = scrollVelocity_;
  scrollVelocity_ = {};
  context.emit(GestureEvent::dragScrollEnded(velocity.x, velocity.y));
}

void TapRecognizer::dropDragRoles(const GestureEmit& emit) {
  const bool wasDragging = isDragging();
  dragState_ = DragState::idle;
  if (wasDragging) {
    emit(GestureEvent::dragEnded());
  }
}

}  // namespace tactora
