// The frame thread's handoff to the surface view: only the newest value is kept, a frame never
// allocates, and what the view reads is one whole frame.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <atomic>
#include <thread>
#include <vector>

#include "Tactora/settings/SurfaceFrameHandoff.h"
#include "Tactora/settings/SurfaceView.h"
#include "support/AllocationCounting.h"

namespace tactora::settings {
namespace {

BorrowedFrame frameOf(const std::vector<Touch>& touches) {
  BorrowedFrame frame;
  frame.surfaceSizeMM = {51.5f, 90.5f};
  frame.touches = touches;
  return frame;
}

std::vector<Touch> touches(std::size_t count, float x) {
  std::vector<Touch> list(count);
  for (std::size_t i = 0; i < count; ++i) {
    list[i].id = static_cast<std::int32_t>(i);
    list[i].position = {x, 0.5f};
  }
  return list;
}

// Only the newest frame is kept, every one counted; the last gesture is named, not a drag's steps.
TEST(SurfaceFrameHandoff, KeepsOnlyTheNewestFrameAndTheLastGestureWithoutAllocating) {
  SurfaceFrameHandoff handoff;
  SurfaceSnapshot snapshot;
  EXPECT_FALSE(handoff.takeLatest(snapshot));
  const auto one = touches(1, 0.2f);
  const auto two = touches(2, 0.7f);
  handoff.publish(frameOf(one));
  handoff.gestureReceived(GestureEvent::tap(2));
  handoff.gestureReceived(GestureEvent::dragMoved());
  handoff.gestureReceived(GestureEvent::dragScrollMoved(0, 3));
  handoff.publish(frameOf(two));
  ASSERT_TRUE(handoff.takeLatest(snapshot));
  EXPECT_EQ(snapshot.lastGesture, GestureEvent::tap(2));
  EXPECT_EQ(snapshot.contactCount, 2u);
  EXPECT_FLOAT_EQ(snapshot.contacts[1].x, 0.7f);
  EXPECT_EQ(snapshot.frameCount, 2u);
  EXPECT_FALSE(handoff.takeLatest(snapshot)) << "nothing new since the last look";

  const auto many = touches(40, 0.1f);
  handoff.publish(frameOf(many));
  ASSERT_TRUE(handoff.takeLatest(snapshot));
  EXPECT_EQ(snapshot.contactCount, SurfaceSnapshot::maxContacts);

  // A frame allocates nothing once the handoff is in use.
  const BorrowedFrame frame = frameOf(two);
  testing::allocationCount = 0;
  testing::countingAllocations = true;
  for (int i = 0; i < 100; ++i) {
    handoff.publish(frame);
    handoff.gestureReceived(GestureEvent::swipe(3, Direction::left));
  }
  testing::countingAllocations = false;
  EXPECT_EQ(testing::allocationCount, 0u);
}

TEST(SurfaceFrameHandoff, TheViewReadsWholeFramesWhileTheFrameThreadWrites) {
  SurfaceFrameHandoff handoff;
  std::atomic<bool> stop = false;
  std::thread frames([&] {
    std::vector<Touch> a = touches(3, 0.25f);
    std::vector<Touch> b = touches(3, 0.75f);
    for (int i = 0; !stop; ++i) {
      handoff.publish(frameOf(i % 2 == 0 ? a : b));
    }
  });
  SurfaceView view(&handoff, nullptr);
  QElapsedTimer waited;
  waited.start();
  while (view.snapshot().frameCount < 2000 && waited.elapsed() < 2000) {
    view.poll();
    const SurfaceSnapshot& seen = view.snapshot();
    if (seen.contactCount == 3) {
      ASSERT_EQ(seen.contacts[0].x, seen.contacts[2].x) << "a torn frame";
    }
  }
  stop = true;
  frames.join();
  EXPECT_GT(view.snapshot().frameCount, 0u);
}

}  // namespace
}  // namespace tactora::settings
