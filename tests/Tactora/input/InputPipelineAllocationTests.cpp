// The frame path allocates nothing once its buffers have grown to the contacts in play.

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "InputTestSupport.h"

// Sanitizer runtimes bring their own allocation functions; there the count is not taken.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define TACTORA_COUNTS_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define TACTORA_COUNTS_ALLOCATIONS 0
#endif
#endif
#ifndef TACTORA_COUNTS_ALLOCATIONS
#define TACTORA_COUNTS_ALLOCATIONS 1
#endif

namespace {
// Only the thread that switched counting on counts, so simulation work elsewhere cannot blur it.
thread_local bool gCounting = false;
thread_local std::size_t gAllocations = 0;
}  // namespace

#if TACTORA_COUNTS_ALLOCATIONS
// The array forms call these by default.
void* operator new(std::size_t size) {
  gAllocations += gCounting ? 1 : 0;
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
#endif

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
    for (int frame = 0; frame < 200; ++frame) {
      deliver(fingers, float(frame % 2) * 0.0005f, true);
    }
    EXPECT_EQ(gAllocations, 0u) << fingers << " finger(s)";
    deliver(0, 0);
  }
  EXPECT_TRUE(events.take().empty()) << "resting fingers make no gestures";
}

}  // namespace
}  // namespace tactora::testing
