// Frame processing must not allocate: it runs for every device frame on the delivery thread.
// This file replaces the global allocation functions for the whole test program; they only count
// on a thread that has switched counting on.
#include <cmath>
#include <cstdlib>
#include <new>

#include <gtest/gtest.h>

#include "GestureEngine/GestureEngine.h"
#include "RecordedSession.h"

// ThreadSanitizer's runtime defines the allocation functions itself; there the test is skipped.
#if defined(__SANITIZE_THREAD__)
#define TACTORA_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TACTORA_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef TACTORA_COUNT_ALLOCATIONS
#define TACTORA_COUNT_ALLOCATIONS 1
#endif

namespace {
thread_local bool countingAllocations = false;
thread_local std::size_t allocationCount = 0;
}  // namespace

#if TACTORA_COUNT_ALLOCATIONS
void* operator new(std::size_t size) {
  allocationCount += countingAllocations ? 1 : 0;
  if (void* block = std::malloc(size == 0 ? 1 : size)) {
    return block;
  }
  throw std::bad_alloc();
}
void* operator new[](std::size_t size) {
  return operator new(size);
}
void operator delete(void* block) noexcept {
  std::free(block);
}
void operator delete[](void* block) noexcept {
  std::free(block);
}
void operator delete(void* block, std::size_t) noexcept {
  std::free(block);
}
void operator delete[](void* block, std::size_t) noexcept {
  std::free(block);
}
#endif

namespace tactora::testing {
namespace {

TEST(GestureEngineAllocation, FramesAndResetsAllocateNothing) {
  if (!TACTORA_COUNT_ALLOCATIONS) {
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
