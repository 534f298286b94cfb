#pragma once

#include <atomic>
#include <functional>
#include <latch>
#include <thread>
#include <vector>

namespace tactora::testing {

// Runs each body on a thread of its own, all started together, calling body(0), body(1), ...
// until every body has been called at least `minRounds` times: their work overlaps whatever the
// scheduler does, and no thread finishes before the others have done their share.
inline void race(const std::vector<std::function<void(int round)>>& bodies, int minRounds) {
  std::latch start(static_cast<std::ptrdiff_t>(bodies.size()));
  std::atomic<std::size_t> behind{bodies.size()};
  std::vector<std::thread> threads;
  for (const auto& body : bodies) {
    threads.emplace_back([&] {
      start.arrive_and_wait();
      for (int round = 0; round < minRounds || behind.load() > 0; ++round) {
        body(round);
        behind -= round + 1 == minRounds ? 1 : 0;
      }
    });
  }
  for (std::thread& thread : threads) {
    thread.join();
  }
}

}  // namespace tactora::testing
