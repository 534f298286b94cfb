#include "support/TouchScript.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <sstream>

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

TouchScript::TouchScript(TimeSetter setTime, FrameSink sink, OtherStep other)
    : setTime_(std::move(setTime)), sink_(std::move(sink)), other_(std::move(other)) {
  frameTouches_.reserve(32);
}

void TouchScript::play(const std::string& text) {
  std::istringstream all(text);
  for (std::string step; std::getline(all, step, ';');) {
    std::replace(step.begin(), step.end(), ',', ' ');
    std::istringstream in(step);
    std::string word;
    std::string id;
    in >> word;
    if (word.front() != '~' && !std::isdigit(static_cast<unsigned char>(word.front()))) {
      other_(word, in);
      continue;
    }
    const bool spread = word.front() == '~';
    const double seconds = std::stod(word.substr(spread ? 1 : 0));
    while (in >> word) {
      float x = 0;
      float y = 0;
      if (word == "down") {
        in >> id >> x >> y;
        fingers_.push_back(Finger{std::stoi(id), {x, y}, {x, y}, {x, y}});
      } else if (word == "up") {
        in >> id;
        find(std::stoi(id)).lifting = true;
      } else if (word == "move") {
        in >> word >> x >> y;
        std::istringstream ids(word);
        while (std::getline(ids, id, '+')) {
          PointF& target = find(std::stoi(id)).target;
          target = {target.x + x, target.y + y};
        }
      } else if (word == "resize") {
        in >> id >> x;
        find(std::stoi(id)).targetSize = x;
      } else if (word == "pointer") {
        in >> x >> y;
        pointerTarget_ = {pointerTarget_.x + x, pointerTarget_.y + y};
      } else if (word == "surface") {
        in >> x >> y;
        surfaceSizeMM_ = {x, y};
      } else if (word == "button") {
        in >> id;
        buttonTarget_ = id == "1";
      } else if (word != "hold") {
        ADD_FAILURE() << "unknown command " << word;
      }
    }
    commit(seconds, spread);
  }
}

TouchScript::Finger& TouchScript::find(std::int32_t id) {
  const auto found = std::ranges::find(fingers_, id, &Finger::id);
  if (found == fingers_.end()) {
    ADD_FAILURE() << "finger " << id << " is not down";
    static Finger nowhere;
    return nowhere = Finger{};
  }
  return *found;
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
    const TouchPhase phase = finger.lifting && liftsDue ? TouchPhase::ended
                             : finger.isNew             ? TouchPhase::began
                                                        : TouchPhase::moved;
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
