#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <vector>

#include "GestureEngine/BorrowedFrame.h"

namespace tactora::testing {

// Scripted touch input for tests of anything that consumes frames: `script.down(1, 0.5, 0.5).at(0)`
// then `script.up(1).at(0.1)`. Each step becomes frames with the phases a pipeline reports (`began`
// first, `moved` on every later frame, `ended` once with the last position); while a contact is
// down a filler frame comes every 10 ms, as from a device. The default surface is 100 x 100 mm,
// so 0.01 of a position is one millimetre on either axis.
class TouchScript {
 public:
  using TimeSetter = std::function<void(double seconds)>;  // runs before each frame
  using FrameSink = std::function<void(const BorrowedFrame& frame)>;

  TouchScript(TimeSetter setTime, FrameSink sink);

  // Changes for the next step.
  TouchScript& surface(float widthMM, float heightMM) {
    surfaceSizeMM_ = {widthMM, heightMM};
    return *this;
  }
  TouchScript& down(std::int32_t id, float x, float y, float size = 1.0f);
  TouchScript& up(std::int32_t id);
  TouchScript& moveBy(std::int32_t id, float dx, float dy);
  TouchScript& moveBy(std::initializer_list<std::int32_t> ids, float dx, float dy);
  TouchScript& resize(std::int32_t id, float size);
  // Display points; the pointer starts at (500, 400).
  TouchScript& pointerBy(float dx, float dy) {
    pointerTarget_ = {pointerTarget_.x + dx, pointerTarget_.y + dy};
    return *this;
  }
  // The physical button, from the next step on.
  TouchScript& button(bool down) {
    buttonTarget_ = down;
    return *this;
  }
  TouchScript& hold() { return *this; }  // nothing changes: only time passes

  // Commits the changes as one frame at `seconds` (after filler frames since the previous one).
  void at(double seconds) { commit(seconds, false); }

  // Commits the changes spread over frames up to `seconds`: moves of fingers and pointer advance
  // evenly every 10 ms and are complete in the frame at `seconds`; touch-downs, sizes and the
  // button take effect in the first of these frames, lifts in the last.
  void until(double seconds) { commit(seconds, true); }

 private:
  struct Finger {
    std::int32_t id = 0;
    PointF position;  // as last sent
    PointF target;    // after the pending step
    PointF from;      // where the step started
    float size = 1.0f;
    float targetSize = 1.0f;
    bool committed = false;  // false until its touch-down frame
    bool isNew = true;
    bool lifting = false;
  };

  Finger* find(std::int32_t id);
  void commit(double seconds, bool spread);
  void sendFrame(double seconds, bool liftsDue);

  TimeSetter setTime_;
  FrameSink sink_;
  SizeF surfaceSizeMM_{100.0f, 100.0f};
  double lastFrameTime_ = 0;
  bool anyFrameSent_ = false;

  std::vector<Finger> fingers_;  // touch-down order
  PointF pointer_{500.0f, 400.0f};
  PointF pointerTarget_{500.0f, 400.0f};
  bool buttonDown_ = false;
  bool buttonTarget_ = false;

  std::vector<Touch> frameTouches_;
};

}  // namespace tactora::testing
