// One thread feeds frames while another changes the tuning, resets the engine and asks whether a
// drag runs, as the application's main thread does. Run under ThreadSanitizer by CI.
#include <atomic>
#include <latch>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "GestureEngine/GestureEngine.h"
#include "RecordedSession.h"

namespace tactora::testing {
namespace {

using Case = GestureEvent::Case;

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
