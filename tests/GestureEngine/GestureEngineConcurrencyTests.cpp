// The engine over a session that exercises every recognizer: frame processing must not allocate
// (it runs for every device frame on the delivery thread), and one thread may feed frames while
// another changes the tuning, resets the engine and asks whether a drag runs, as the application's
// main thread does (run under ThreadSanitizer by CI).
#include <atomic>
#include <cmath>
#include <latch>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "GestureEngine/GestureEngine.h"
#include "support/AllocationCounting.h"
#include "support/TouchScript.h"

namespace tactora::testing {
namespace {

using Case = GestureEvent::Case;

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
std::vector<RecordedFrame> recordMixedSession() {
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

TEST(GestureEngineAllocation, FramesAndResetsAllocateNothing) {
  if (!TACTORA_COUNTS_ALLOCATIONS) {
    GTEST_SKIP() << "allocation functions belong to the sanitizer runtime in this build";
  }
  const std::vector<RecordedFrame> session = recordMixedSession();
  RecognitionConfig config = RecognitionConfig::defaults();
  config.dragActivation = DragActivation::fingerRest;
  double nowSeconds = 0;
  GestureEngine engine{config, [&nowSeconds] { return nowSeconds; }};
  std::size_t eventCount = 0;
  std::size_t dragBegins = 0;
  const GestureEmit emit = [&](const GestureEvent& event) {
    ++eventCount;
    dragBegins += event.kind() == GestureEvent::Case::dragBegan ? 1 : 0;
  };

  allocationCount = 0;
  countingAllocations = true;
  for (int round = 0; round < 3; ++round) {
    for (const RecordedFrame& frame : session) {
      nowSeconds = 10.0 * round + frame.timeSeconds;
      engine.process(frame.borrow(), emit);
      if (std::abs(frame.timeSeconds - 0.85) < 0.001) {
        engine.reset(emit);  // ends the first drag of each round while it scrolls
        engine.updateConfig(config);
      }
    }
  }
  countingAllocations = false;
  EXPECT_EQ(allocationCount, 0u);
  EXPECT_GT(eventCount, 60u);  // the session did exercise the recognizers
  EXPECT_EQ(dragBegins, 6u);
}

TEST(GestureEngineConcurrency, FramesTuningAndResetsFromTwoThreadsKeepDragsBalanced) {
  const std::vector<RecordedFrame> session = recordMixedSession();
  RecognitionConfig fingerRest = RecognitionConfig::defaults();
  fingerRest.dragActivation = DragActivation::fingerRest;
  RecognitionConfig noDragScroll = fingerRest;
  noDragScroll.dragScrollEnabled = false;
  noDragScroll.tapMaxDuration = 0.5;

  double nowSeconds = 0;  // read by the engine only on the feeding thread
  GestureEngine engine{fingerRest, [&nowSeconds] { return nowSeconds; }};

  // Both threads' callbacks append here. They run under the engine's lock, so this vector is
  // guarded by that lock alone; a lapse in the engine's locking shows up as a data race.
  std::vector<Case> delivered;
  const GestureEmit emit = [&delivered](const GestureEvent& event) {
    delivered.push_back(event.kind());
  };

  // The threads start together, and neither stops before the other has done a minimum of
  // rounds, so their work overlaps whatever the scheduler does: a feeder that finishes before
  // the main thread ran once would leave nothing to race.
  constexpr int minFeedRounds = 200;
  constexpr int minMainRounds = 50;
  std::latch start{2};
  std::atomic<int> mainRounds{0};
  std::atomic<bool> feeding{true};
  std::thread feeder([&] {
    start.arrive_and_wait();
    for (int round = 0; round < minFeedRounds || mainRounds.load() < minMainRounds; ++round) {
      for (const RecordedFrame& frame : session) {
        nowSeconds = 2.0 * round + frame.timeSeconds;
        engine.process(frame.borrow(), emit);
      }
    }
    feeding = false;
  });

  start.arrive_and_wait();
  int resets = 0;
  for (int i = 0; i < minMainRounds || feeding; ++i) {
    engine.updateConfig(i % 2 == 0 ? noDragScroll : fingerRest);
    if (i % 7 == 0) {
      engine.reset(emit);
      ++resets;
    }
    static_cast<void>(engine.isDragging());
    ++mainRounds;
    std::this_thread::yield();
  }
  feeder.join();
  engine.reset(emit);

  // Whatever interleaving happened, drags nest properly: each begins while none runs and ends
  // exactly once, and drag-only events arrive only inside a drag.
  bool dragging = false;
  int drags = 0;
  for (const Case kind : delivered) {
    if (kind == Case::dragBegan) {
      ASSERT_FALSE(dragging);
      dragging = true;
      ++drags;
    } else if (kind == Case::dragMoved || kind == Case::dragScrollMoved ||
               kind == Case::dragScrollEnded || kind == Case::dragEnded) {
      ASSERT_TRUE(dragging);
      dragging = kind != Case::dragEnded;
    }
  }
  EXPECT_FALSE(dragging);
  EXPECT_GT(drags, 0);
  EXPECT_GT(resets, 0);
  EXPECT_FALSE(engine.isDragging());
}

}  // namespace
}  // namespace tactora::testing
