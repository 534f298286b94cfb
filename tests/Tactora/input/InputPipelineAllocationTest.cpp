// The frame path allocates nothing once its buffers have grown to the contacts in play.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "InputTestSupport.h"

namespace {

std::atomic<bool> gCounting{false};
std::atomic<std::size_t> gAllocations{0};

}  // namespace

// Counts every allocation made through the global operator new while counting is on.
void* operator new(std::size_t size) {
  if (gCounting.load(std::memory_order_relaxed)) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
  }
  if (void* memory = std::malloc(size == 0 ? 1 : size)) {
    return memory;
  }
  throw std::bad_alloc();
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}

namespace tactora::testing {
namespace {

class InputPipelineAllocation : public PipelineTest {};

TEST_F(InputPipelineAllocation, SteadyFramesAllocateNothing) {
  mt().addDevice(false, 112, 5150, 9050);
  start();
  double t = now() + 1.0;
  std::vector<unsigned char> records(3 * MT_CONTACT_RECORD_SIZE);
  bool counting = false;
  auto deliver = [&](int fingers, float jitter) {
    for (int i = 0; i < fingers; ++i) {
      MTWriteContactRecord(&records[static_cast<std::size_t>(i) * MT_CONTACT_RECORD_SIZE], i + 1, 4,
                           0.3f + 0.2f * static_cast<float>(i) + jitter, 0.5f - jitter, 0, 0, 1);
    }
    advanceTo(t);  // timers of the simulation may allocate; they are not the frame path
    t += 0.01;
    gCounting = counting;
    const bool delivered = mt().deliverRawFrame(0, records.data(), fingers, t);
    gCounting = false;
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
    gAllocations = 0;
    counting = true;
    for (int frame = 0; frame < 200; ++frame) {
      deliver(fingers, static_cast<float>(frame % 2) * 0.0005f);
    }
    counting = false;
    EXPECT_EQ(gAllocations.load(), 0u) << fingers << " finger(s)";
    deliver(0, 0);
  }
  EXPECT_TRUE(events.take().empty()) << "resting fingers make no gestures";
}

}  // namespace
}  // namespace tactora::testing
