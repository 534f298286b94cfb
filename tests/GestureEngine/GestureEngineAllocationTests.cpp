// Frame processing must not allocate: it runs for every device frame on the delivery thread.
#include <cmath>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "GestureEngine/GestureEngine.h"
#include "RecordedSession.h"
#include "support/AllocationCounting.h"

namespace tactora::testing {
namespace {

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

}  // namespace
}  // namespace tactora::testing
