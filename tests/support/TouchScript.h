#pragma once

#include <cstdint>
#include <functional>
#include <istream>
#include <string>
#include <vector>

#include "GestureEngine/BorrowedFrame.h"

namespace tactora::testing {

// Scripted touch input for tests of anything that consumes frames, written as text: steps
// separated by ';', each "TIME commands" (the changes as one frame at TIME) or "~TIME commands"
// (the changes spread over the frames up to TIME: moves of fingers and pointer advance evenly
// every 10 ms and are complete in the frame at TIME; touch-downs, sizes and the button take effect
// in the first of these frames, lifts in the last). Commands, separated by ',': "down ID X Y",
// "up ID", "move ID[+ID...] DX DY", "pointer DX DY" (display points, from (500, 400)),
// "button 0|1", "resize ID SIZE", "hold" (only time passes), "surface W H". A step that starts
// with a word other than a time (such as "tune KEY VALUE") goes to `other` between frames.
//
// Each step becomes frames with the phases a pipeline reports (`began` first, `moved` on every
// later frame, `ended` once with the last position); while a contact is down a filler frame comes
// every 10 ms, as from a device. The default surface is 100 x 100 mm, so 0.01 of a position is
// one millimetre on either axis.
class TouchScript {
 public:
  using TimeSetter = std::function<void(double seconds)>;  // runs before each frame
  using FrameSink = std::function<void(const BorrowedFrame& frame)>;
  using OtherStep = std::function<void(const std::string& command, std::istream& arguments)>;

  TouchScript(TimeSetter setTime, FrameSink sink, OtherStep other = {});
  void play(const std::string& text);

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

  Finger& find(std::int32_t id);
  void commit(double seconds, bool spread);
  void sendFrame(double seconds, bool liftsDue);

  TimeSetter setTime_;
  FrameSink sink_;
  OtherStep other_;
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
