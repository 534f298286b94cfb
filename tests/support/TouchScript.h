#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "GestureEngine/BorrowedFrame.h"
#include "GestureEngine/GestureEvent.h"

namespace tactora::testing {

// Scripted touch input for tests of anything that consumes frames. Fingers go down, move and lift
// at explicit times; each committed step becomes frames with the phases a pipeline reports
// (`began` on a contact's first frame, `moved` on every later one, `ended` once with its last
// position). While any contact is down, filler frames are sent every frame interval in between,
// as a device does for a resting finger.
//
//   script.down(1, 0.50, 0.50).at(0.00);
//   script.up(1).at(0.10);
//
// The default surface is 100 x 100 mm, so 0.01 of a position is one millimetre on either axis.
class TouchScript {
 public:
  using TimeSetter = std::function<void(double seconds)>;  // runs before each frame
  using FrameSink = std::function<void(const BorrowedFrame& frame)>;

  TouchScript(TimeSetter setTime, FrameSink sink);

  TouchScript& surface(float widthMM, float heightMM);
  // 0 sends only the frames the script names.
  TouchScript& frameInterval(double seconds);

  // Changes for the next step.
  TouchScript& down(std::int32_t id, float x, float y, float size = 1.0f);
  TouchScript& up(std::int32_t id);
  TouchScript& moveTo(std::int32_t id, float x, float y);
  TouchScript& moveBy(std::int32_t id, float dx, float dy);
  TouchScript& moveBy(std::initializer_list<std::int32_t> ids, float dx, float dy);
  TouchScript& resize(std::int32_t id, float size);
  TouchScript& pointerTo(float x, float y);  // display points
  TouchScript& pointerBy(float dx, float dy);
  TouchScript& button(bool down);        // the physical button, from the next step on
  TouchScript& hold() { return *this; }  // nothing changes: only time passes

  // Commits the changes as one frame at `seconds` (after filler frames since the previous one).
  void at(double seconds);

  // Commits the changes spread over frames up to `seconds`: moves of fingers and pointer advance
  // evenly with every frame interval and are complete in the frame at `seconds`; touch-downs and
  // the button take effect in the first of these frames, lifts in the last.
  void until(double seconds);

  double lastFrameTime() const { return lastFrameTime_; }
  std::size_t framesSent() const { return framesSent_; }

 private:
  struct Finger {
    std::int32_t id = 0;
    PointF position;
    float size = 1.0f;
    bool isNew = false;
    bool lifting = false;
  };
  struct Move {
    std::int32_t id = 0;
    PointF from;
    PointF to;
  };

  Finger* find(std::int32_t id);
  void sendFillerFramesBefore(double seconds);
  void sendFrame(double seconds);
  void clearPending();

  TimeSetter setTime_;
  FrameSink sink_;
  SizeF surfaceSizeMM_{100.0f, 100.0f};
  double frameIntervalSeconds_ = 0.01;
  double lastFrameTime_ = 0;
  bool anyFrameSent_ = false;
  std::size_t framesSent_ = 0;

  std::vector<Finger> fingers_;  // touch-down order
  bool buttonDown_ = false;
  PointF pointer_{500.0f, 400.0f};

  // Pending step.
  std::vector<Finger> pendingDowns_;
  std::vector<std::int32_t> pendingUps_;
  std::vector<Move> pendingMoves_;
  std::vector<std::pair<std::int32_t, float>> pendingSizes_;
  PointF pendingPointer_;
  bool pointerChanges_ = false;
  bool pendingButton_ = false;
  bool buttonChanges_ = false;

  std::vector<Touch> frameTouches_;
};

// Collects emitted events and checks them in order; every check consumes what it saw, so a test
// that ends with nothing unchecked has seen every event there was.
class GestureLog {
 public:
  GestureLog();
  GestureLog(const GestureLog&) = delete;
  GestureLog& operator=(const GestureLog&) = delete;

  // An emit callback that records into this log (valid as long as the log lives).
  const std::function<void(const GestureEvent&)>& emitter() const { return emit_; }
  void record(const GestureEvent& event) { events_.push_back(event); }

  // Compares the events recorded since the last check with `expected` and forgets them. Float
  // payloads compare within a relative tolerance of 1e-3 (scroll deltas and velocities come out
  // of float arithmetic); everything else compares exactly.
  void expect(const std::vector<GestureEvent>& expected, const char* file, int line);

  // Hands out the events recorded since the last check and forgets them.
  std::vector<GestureEvent> take();
  const std::vector<GestureEvent>& unchecked() const { return events_; }

 private:
  std::vector<GestureEvent> events_;
  std::function<void(const GestureEvent&)> emit_;
};

std::string describe(const std::vector<GestureEvent>& events);

// `count` copies of `event`, and sequences joined, for expectations about runs of frames.
std::vector<GestureEvent> repeated(const GestureEvent& event, int count);
std::vector<GestureEvent> operator+(std::vector<GestureEvent> first,
                                    const std::vector<GestureEvent>& second);

// Builders that let expectations read like the events' textual form.
inline GestureEvent tap(int fingers) {
  return GestureEvent::tap(fingers);
}
inline GestureEvent doubleTap(int fingers) {
  return GestureEvent::doubleTap(fingers);
}
inline GestureEvent tripleTap(int fingers) {
  return GestureEvent::tripleTap(fingers);
}
inline GestureEvent rightZoneTap() {
  return GestureEvent::rightZoneTap();
}
inline GestureEvent swipe(int fingers, Direction direction) {
  return GestureEvent::swipe(fingers, direction);
}
inline GestureEvent swipeCandidateBegan() {
  return GestureEvent::swipeCandidateBegan();
}
inline GestureEvent pinch(Direction direction) {
  return GestureEvent::pinch(direction);
}
inline GestureEvent dragBegan(float x, float y) {
  return GestureEvent::dragBegan(x, y);
}
inline GestureEvent dragMoved() {
  return GestureEvent::dragMoved();
}
inline GestureEvent dragEnded() {
  return GestureEvent::dragEnded();
}
inline GestureEvent dragScrollMoved(float dx, float dy) {
  return GestureEvent::dragScrollMoved(dx, dy);
}
inline GestureEvent dragScrollEnded(float vx, float vy) {
  return GestureEvent::dragScrollEnded(vx, vy);
}

}  // namespace tactora::testing

// Checks the events recorded since the last check by the GestureLog named `events` in scope.
#define EXPECT_EVENTS(...) \
  events.expect(std::vector<::tactora::GestureEvent>{__VA_ARGS__}, __FILE__, __LINE__)
#define EXPECT_NO_EVENTS() events.expect({}, __FILE__, __LINE__)
#define EXPECT_EVENT_LIST(...) events.expect((__VA_ARGS__), __FILE__, __LINE__)
