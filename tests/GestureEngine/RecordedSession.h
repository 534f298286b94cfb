#pragma once

#include <vector>

#include "GestureEngine/BorrowedFrame.h"
#include "support/TouchScript.h"

namespace tactora::testing {

// Frames captured from a touch script, to be replayed where the script itself must not run
// (it allocates): while allocations are counted, or from a second thread.
struct RecordedFrame {
  double timeSeconds = 0;
  SizeF surfaceSizeMM;
  std::vector<Touch> touches;
  bool physicalButtonDown = false;
  PointF cursorPosition;

  BorrowedFrame borrow() const {
    return BorrowedFrame{timeSeconds, surfaceSizeMM, touches, physicalButtonDown, cursorPosition};
  }
};

// A session that exercises every recognizer with the finger-rest drag mode: a three-finger tap,
// a resting finger, a two-finger swipe, a spread, a drag with a scroll finger ended by lifting, a
// drag ended by the button, and seventeen fingers at once. About 1.6 s of frames.
inline std::vector<RecordedFrame> recordMixedSession() {
  std::vector<RecordedFrame> frames;
  TouchScript script{[](double) {},
                     [&frames](const BorrowedFrame& frame) {
                       frames.push_back(RecordedFrame{
                           frame.timestamp, frame.surfaceSizeMM,
                           std::vector<Touch>(frame.touches.begin(), frame.touches.end()),
                           frame.physicalButtonDown, frame.cursorPosition});
                     }};
  script.down(1, 0.2f, 0.3f).down(2, 0.3f, 0.3f).down(3, 0.4f, 0.3f).at(0.00);
  script.up(1).up(2).up(3).at(0.08);

  script.down(4, 0.3f, 0.3f).down(5, 0.4f, 0.3f).at(0.20);
  script.moveBy({4, 5}, 0.15f, 0).until(0.35);
  script.up(4).up(5).at(0.36);

  script.down(6, 0.4f, 0.5f).down(7, 0.6f, 0.5f).at(0.50);
  script.moveBy(6, -0.05f, 0).moveBy(7, 0.05f, 0).until(0.60);
  script.up(6).up(7).at(0.61);

  script.down(8, 0.3f, 0.5f).at(0.70);
  script.pointerBy(12, 0).until(0.75);
  script.down(9, 0.6f, 0.5f).at(0.76);
  script.moveBy(9, 0.0f, 0.08f).pointerBy(20, 5).until(0.90);
  script.up(9).at(0.91);
  script.up(8).at(0.95);

  script.down(10, 0.3f, 0.5f).at(1.00);
  script.pointerBy(-15, 0).until(1.05);
  script.button(true).at(1.06);
  script.button(false).at(1.07);
  script.up(10).at(1.10);

  for (int id = 20; id < 37; ++id) {
    script.down(id, 0.05f * static_cast<float>(id - 19), 0.4f);
  }
  script.at(1.30);
  script.moveBy({20, 21, 22}, 0.01f, 0).until(1.40);
  for (int id = 20; id < 37; ++id) {
    script.up(id);
  }
  script.at(1.50);
  script.at(1.60);  // an empty frame
  return frames;
}

}  // namespace tactora::testing
