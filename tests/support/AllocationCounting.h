#pragma once

// Replaces the test program's global allocation functions with ones that count how often
// operator new runs on a thread that has switched counting on, so a test can prove a path
// allocates nothing. The replacements are definitions: include this header in exactly one source
// file of a test program.

#include <cstddef>
#include <cstdlib>
#include <new>

// Sanitizer runtimes bring their own allocation functions; there nothing is replaced or counted.
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

namespace tactora::testing {
// Only the thread that switched counting on counts, so work on other threads cannot blur it.
inline thread_local bool countingAllocations = false;
inline thread_local std::size_t allocationCount = 0;
}  // namespace tactora::testing

#if TACTORA_COUNTS_ALLOCATIONS
void* operator new(std::size_t size) {
  tactora::testing::allocationCount += tactora::testing::countingAllocations ? 1 : 0;
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
