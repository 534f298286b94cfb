#include "support/TouchScript.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <utility>

#include <gtest/gtest.h>

namespace tactora::testing {

namespace {

// Frame times are sums of decimal steps; this keeps 0.1 + 0.01 * k from missing a grid point.
constexpr double kTimeEpsilonSeconds = 1e-9;

PointF lerp(PointF from, PointF to, double fraction) {
  const auto f = static_cast<float>(fraction);
  return {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f};
}

bool closeEnough(float a, float b) {
  const float scale = std::max({1.0f, std::fabs(a), std::fabs(b)});
  return std::fabs(a - b) <= 1e-3f * scale;
}

bool matches(const GestureEvent& actual, const GestureEvent& expected) {
  using C = GestureEvent::Case;
  if (actual.kind() != expected.kind()) {
    return false;
  }
  switch (actual.kind()) {
    case C::dragBegan:
    case C::dragScrollMoved:
    case C::dragScrollEnded:
      // The accessors of the three float pairs read the same two fields.
      return closeEnough(actual.startX(), expected.startX()) &&
             closeEnough(actual.startY(), expected.startY());
    case C::tap:
    case C::rightZoneTap:
    case C::swipe:
    case C::pinch:
    case C::doubleTap:
    case C::tripleTap:
    case C::dragMoved:
    case C::dragEnded:
    case C::swipeCandidateBegan:
      return actual == expected;
  }
  return false;
}

}  // namespace

TouchScript::TouchScript(TimeSetter setTime, FrameSink sink)
    : setTime_(std::move(setTime)), sink_(std::move(sink)) {
  frameTouches_.reserve(32);
}

TouchScript& TouchScript::surface(float widthMM, float heightMM) {
  surfaceSizeMM_ = {widthMM, heightMM};
  return *this;
}

TouchScript& TouchScript::frameInterval(double seconds) {
  frameIntervalSeconds_ = seconds;
  return *this;
}

TouchScript& TouchScript::down(std::int32_t id, float x, float y, float size) {
  pendingDowns_.push_back(Finger{id, {x, y}, size, true, false});
  return *this;
}

TouchScript& TouchScript::up(std::int32_t id) {
  pendingUps_.push_back(id);
  return *this;
}

TouchScript& TouchScript::moveTo(std::int32_t id, float x, float y) {
  const Finger* finger = find(id);
  EXPECT_NE(finger, nullptr) << "moveTo of finger " << id << ", which is not down";
  if (finger != nullptr) {
    pendingMoves_.push_back(Move{id, finger->position, {x, y}});
  }
  return *this;
}

TouchScript& TouchScript::moveBy(std::int32_t id, float dx, float dy) {
  const Finger* finger = find(id);
  EXPECT_NE(finger, nullptr) << "moveBy of finger " << id << ", which is not down";
  if (finger != nullptr) {
    pendingMoves_.push_back(
        Move{id, finger->position, {finger->position.x + dx, finger->position.y + dy}});
  }
  return *this;
}

TouchScript& TouchScript::moveBy(std::initializer_list<std::int32_t> ids, float dx, float dy) {
  for (const std::int32_t id : ids) {
    moveBy(id, dx, dy);
  }
  return *this;
}

TouchScript& TouchScript::resize(std::int32_t id, float size) {
  pendingSizes_.emplace_back(id, size);
  return *this;
}

TouchScript& TouchScript::pointerTo(float x, float y) {
  pendingPointer_ = {x, y};
  pointerChanges_ = true;
  return *this;
}

TouchScript& TouchScript::pointerBy(float dx, float dy) {
  const PointF base = pointerChanges_ ? pendingPointer_ : pointer_;
  return pointerTo(base.x + dx, base.y + dy);
}

TouchScript& TouchScript::button(bool down) {
  pendingButton_ = down;
  buttonChanges_ = true;
  return *this;
}

TouchScript::Finger* TouchScript::find(std::int32_t id) {
  for (Finger& finger : fingers_) {
    if (finger.id == id) {
      return &finger;
    }
  }
  return nullptr;
}

void TouchScript::at(double seconds) {
  sendFillerFramesBefore(seconds);
  for (const Finger& finger : pendingDowns_) {
    fingers_.push_back(finger);
  }
  for (const Move& move : pendingMoves_) {
    if (Finger* finger = find(move.id)) {
      finger->position = move.to;
    }
  }
  for (const auto& [id, size] : pendingSizes_) {
    if (Finger* finger = find(id)) {
      finger->size = size;
    }
  }
  for (const std::int32_t id : pendingUps_) {
    if (Finger* finger = find(id)) {
      finger->lifting = true;
    }
  }
  if (pointerChanges_) {
    pointer_ = pendingPointer_;
  }
  if (buttonChanges_) {
    buttonDown_ = pendingButton_;
  }
  clearPending();
  sendFrame(seconds);
}

void TouchScript::until(double seconds) {
  const double start = lastFrameTime_;
  int steps = 1;
  if (frameIntervalSeconds_ > 0 && anyFrameSent_) {
    steps =
        std::max(1, static_cast<int>(std::ceil((seconds - start) / frameIntervalSeconds_ - 1e-6)));
  }
  const std::vector<Move> moves = pendingMoves_;
  const std::vector<std::int32_t> ups = pendingUps_;
  const PointF pointerFrom = pointer_;
  const PointF pointerTarget = pendingPointer_;
  const bool pointerChanges = pointerChanges_;
  pendingMoves_.clear();
  pendingUps_.clear();
  pointerChanges_ = false;

  for (int step = 1; step <= steps; ++step) {
    const double fraction = static_cast<double>(step) / steps;
    for (const Move& move : moves) {
      pendingMoves_.push_back(Move{move.id, move.from, lerp(move.from, move.to, fraction)});
    }
    if (pointerChanges) {
      const PointF pointer = lerp(pointerFrom, pointerTarget, fraction);
      pointerTo(pointer.x, pointer.y);
    }
    if (step == steps) {
      pendingUps_ = ups;
    }
    at(step == steps ? seconds : start + frameIntervalSeconds_ * step);
  }
}

void TouchScript::sendFillerFramesBefore(double seconds) {
  if (frameIntervalSeconds_ <= 0 || !anyFrameSent_ || fingers_.empty()) {
    return;
  }
  const double start = lastFrameTime_;
  for (int k = 1;; ++k) {
    const double t = start + frameIntervalSeconds_ * k;
    if (t >= seconds - kTimeEpsilonSeconds) {
      break;
    }
    sendFrame(t);
  }
}

void TouchScript::sendFrame(double seconds) {
  frameTouches_.clear();
  for (Finger& finger : fingers_) {
    TouchPhase phase = TouchPhase::moved;
    if (finger.isNew) {
      phase = TouchPhase::began;
    }
    if (finger.lifting) {
      phase = TouchPhase::ended;
    }
    frameTouches_.push_back(Touch{finger.id, phase, finger.position, {}, finger.size, 0.0f});
    finger.isNew = false;
  }
  std::erase_if(fingers_, [](const Finger& finger) { return finger.lifting; });

  lastFrameTime_ = seconds;
  anyFrameSent_ = true;
  ++framesSent_;
  setTime_(seconds);
  sink_(BorrowedFrame{seconds, surfaceSizeMM_, frameTouches_, buttonDown_, pointer_});
}

void TouchScript::clearPending() {
  pendingDowns_.clear();
  pendingUps_.clear();
  pendingMoves_.clear();
  pendingSizes_.clear();
  pointerChanges_ = false;
  buttonChanges_ = false;
}

GestureLog::GestureLog() : emit_([this](const GestureEvent& event) { record(event); }) {}

void GestureLog::expect(const std::vector<GestureEvent>& expected, const char* file, int line) {
  bool same = events_.size() == expected.size();
  for (std::size_t i = 0; same && i < expected.size(); ++i) {
    same = matches(events_[i], expected[i]);
  }
  if (!same) {
    ADD_FAILURE_AT(file, line) << "events differ\n  expected: " << describe(expected)
                               << "\n    actual: " << describe(events_);
  }
  events_.clear();
}

std::vector<GestureEvent> GestureLog::take() {
  return std::exchange(events_, {});
}

std::string describe(const std::vector<GestureEvent>& events) {
  if (events.empty()) {
    return "(none)";
  }
  std::ostringstream text;
  for (std::size_t i = 0; i < events.size(); ++i) {
    text << (i == 0 ? "" : ", ") << events[i].description();
  }
  return text.str();
}

std::vector<GestureEvent> repeated(const GestureEvent& event, int count) {
  return std::vector<GestureEvent>(static_cast<std::size_t>(std::max(count, 0)), event);
}

std::vector<GestureEvent> operator+(std::vector<GestureEvent> first,
                                    const std::vector<GestureEvent>& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}

}  // namespace tactora::testing
