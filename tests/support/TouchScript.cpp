#include "support/TouchScript.h"

#include <algorithm>
#include <cmath>

#include <gtest/gtest.h>

namespace tactora::testing {

namespace {

constexpr double frameIntervalSeconds = 0.01;
// Frame times are sums of decimal steps; this keeps 0.1 + 0.01 * k from missing a grid point.
constexpr double timeEpsilonSeconds = 1e-9;

PointF lerp(PointF from, PointF to, double fraction) {
  const auto f = static_cast<float>(fraction);
  return {from.x + (to.x - from.x) * f, from.y + (to.y - from.y) * f};
}

}  // namespace

TouchScript::TouchScript(TimeSetter setTime, FrameSink sink)
    : setTime_(std::move(setTime)), sink_(std::move(sink)) {
  frameTouches_.reserve(32);
}

TouchScript& TouchScript::down(std::int32_t id, float x, float y, float size) {
  fingers_.push_back(Finger{id, {x, y}, {x, y}, {x, y}, size, size});
  return *this;
}

TouchScript& TouchScript::up(std::int32_t id) {
  if (Finger* finger = find(id)) {
    finger->lifting = true;
  }
  return *this;
}

TouchScript& TouchScript::moveBy(std::int32_t id, float dx, float dy) {
  Finger* finger = find(id);
  EXPECT_NE(finger, nullptr) << "moveBy of finger " << id << ", which is not down";
  if (finger != nullptr) {
    finger->target = {finger->target.x + dx, finger->target.y + dy};
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
  if (Finger* finger = find(id)) {
    finger->targetSize = size;
  }
  return *this;
}

TouchScript::Finger* TouchScript::find(std::int32_t id) {
  const auto found = std::ranges::find(fingers_, id, &Finger::id);
  return found == fingers_.end() ? nullptr : &*found;
}

void TouchScript::commit(double seconds, bool spread) {
  const double start = lastFrameTime_;
  const bool anyDown = std::any_of(fingers_.begin(), fingers_.end(),
                                   [](const Finger& finger) { return finger.committed; });
  if (!spread && anyDown) {
    // Filler frames: what is down rests where it is; nothing of the new step shows yet.
    for (int k = 1; start + frameIntervalSeconds * k < seconds - timeEpsilonSeconds; ++k) {
      sendFrame(start + frameIntervalSeconds * k, false);
    }
  }
  int steps = 1;
  if (spread && anyFrameSent_) {
    steps =
        std::max(1, static_cast<int>(std::ceil((seconds - start) / frameIntervalSeconds - 1e-6)));
  }

  for (Finger& finger : fingers_) {
    finger.from = finger.position;
  }
  const PointF pointerFrom = pointer_;
  for (int step = 1; step <= steps; ++step) {
    const bool last = step == steps;
    const double fraction = static_cast<double>(step) / steps;
    for (Finger& finger : fingers_) {
      finger.committed = true;
      finger.position = last ? finger.target : lerp(finger.from, finger.target, fraction);
      finger.size = finger.targetSize;
    }
    pointer_ = last ? pointerTarget_ : lerp(pointerFrom, pointerTarget_, fraction);
    buttonDown_ = buttonTarget_;
    sendFrame(last ? seconds : start + frameIntervalSeconds * step, last);
  }
}

void TouchScript::sendFrame(double seconds, bool liftsDue) {
  frameTouches_.clear();
  for (Finger& finger : fingers_) {
    if (!finger.committed) {
      continue;
    }
    TouchPhase phase = finger.isNew ? TouchPhase::began : TouchPhase::moved;
    if (finger.lifting && liftsDue) {
      phase = TouchPhase::ended;
    }
    frameTouches_.push_back(Touch{finger.id, phase, finger.position, {}, finger.size, 0.0f});
    finger.isNew = false;
  }
  if (liftsDue) {
    std::erase_if(fingers_, [](const Finger& finger) { return finger.lifting; });
  }
  lastFrameTime_ = seconds;
  anyFrameSent_ = true;
  setTime_(seconds);
  sink_(BorrowedFrame{seconds, surfaceSizeMM_, frameTouches_, buttonDown_, pointer_});
}

}  // namespace tactora::testing
