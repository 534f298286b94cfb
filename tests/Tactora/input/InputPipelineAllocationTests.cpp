// The frame path allocates nothing once its buffers have grown to the contacts in play.

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "InputTestSupport.h"
#include "support/AllocationCounting.h"

namespace tactora::testing {
namespace {

class InputPipelineAllocation : public PipelineTest {};

TEST_F(InputPipelineAllocation, SteadyFramesAllocateNothing) {
  if (!TACTORA_COUNTS_ALLOCATIONS) {
    GTEST_SKIP() << "allocations are not counted under a sanitizer";
  }
  mt().addDevice(false, 112, 5150, 9050);
  start();
  double t = now() + 1.0;
  std::vector<unsigned char> records(3 * MT_CONTACT_RECORD_SIZE);
  auto deliver = [&](int fingers, float jitter, bool counting = false) {
    for (int i = 0; i < fingers; ++i) {
      MTWriteContactRecord(&records[std::size_t(i) * MT_CONTACT_RECORD_SIZE], i + 1, 4,
                           0.3f + 0.2f * float(i) + jitter, 0.5f - jitter, 0, 0, 1);
    }
    advanceTo(t += 0.01);  // timers of the simulation may allocate; they are not the frame path
    countingAllocations = counting;
    const bool delivered = mt().deliverRawFrame(0, records.data(), fingers, t);
    countingAllocations = false;
    return delivered;
  };
  // Warm up: fingers land, rest and lift once, so every buffer has its room.
  for (int frame = 0; frame < 30; ++frame) {
    ASSERT_TRUE(deliver(3, 0));
  }
  deliver(0, 0);
  events.take();

  for (int fingers = 1; fingers <= 3; ++fingers) {
    ASSERT_TRUE(deliver(fingers, 0));
    allocationCount = 0;
    for (int frame = 0; frame < 200; ++frame) {
      deliver(fingers, float(frame % 2) * 0.0005f, true);
    }
    EXPECT_EQ(allocationCount, 0u) << fingers << " finger(s)";
    deliver(0, 0);
  }
  EXPECT_TRUE(events.take().empty()) << "resting fingers make no gestures";
}

}  // namespace
}  // namespace tactora::testing
