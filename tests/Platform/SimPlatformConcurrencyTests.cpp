#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <latch>
#include <thread>
#include <vector>

#include "Platform/EventLoop.h"
#include "Platform/sim/SimPlatform.h"
#include "tests/support/Eventually.h"

namespace tactora::sim {
namespace {

// Other threads schedule work and read the clock while the driver advances time; every item
// runs exactly once, on the driver's thread, in due order. All threads start together; the
// driver advances until every scheduler is done, and no scheduler stops before the driver has
// advanced a minimum of steps, so scheduling and running overlap whatever the scheduler does.
TEST(SimPlatformConcurrency, WorkScheduledFromManyThreadsRunsOnceInDueOrder) {
  SimPlatform sim;
  constexpr int threads = 4;
  constexpr int minItemsPerThread = 200;
  constexpr int minSteps = 100;
  std::atomic<int> ran{0};
  std::atomic<int> scheduled{0};
  std::atomic<int> steps{0};
  std::atomic<int> schedulersRunning{threads};
  std::latch start{threads + 1};
  std::vector<double> dueOrder;  // only touched on the driver thread
  const auto driver = std::this_thread::get_id();
  std::atomic<bool> wrongThread{false};

  std::vector<std::thread> schedulers;
  for (int t = 0; t < threads; ++t) {
    schedulers.emplace_back([&, t] {
      start.arrive_and_wait();
      for (int i = 0; i < minItemsPerThread || steps.load() < minSteps; ++i) {
        const double delay = 0.001 * ((i * 7 + t) % 50);
        auto& queue = t % 2 == 0 ? static_cast<platform::DispatchQueue&>(sim.dispatch().main())
                                 : sim.dispatch().globalUserInteractive();
        queue.asyncAfter(delay, [&] {
          if (std::this_thread::get_id() != driver) {
            wrongThread = true;
          }
          dueOrder.push_back(sim.clock().uptimeSeconds());
          ++ran;
        });
        ++scheduled;
        (void)sim.clock().uptimeSeconds();
      }
      --schedulersRunning;
    });
  }
  start.arrive_and_wait();
  while (steps.load() < minSteps || schedulersRunning.load() > 0) {
    sim.timeline().advanceBy(0.0005);
    ++steps;
  }
  for (auto& thread : schedulers) {
    thread.join();
  }
  sim.timeline().runUntilIdle();

  EXPECT_GE(scheduled.load(), threads * minItemsPerThread);
  EXPECT_EQ(ran.load(), scheduled.load());
  EXPECT_FALSE(wrongThread.load());
  EXPECT_TRUE(std::is_sorted(dueOrder.begin(), dueOrder.end()));
}

// Taps are created and events delivered and posted from several threads at once.
TEST(SimPlatformConcurrency, TapsAndPostingToleratesConcurrentUse) {
  SimPlatform sim;
  std::atomic<int> seen{0};
  auto tap = sim.events().createEventTap(
      {platform::EventTapLocation::session, platform::EventTapPlacement::headInsert,
       platform::EventTapOptions::listenOnly,
       platform::eventMaskBit(platform::EventType::leftMouseDown)},
      [&](platform::EventType, platform::Event& event) {
        ++seen;
        return &event;
      });
  // The workers start together, so their calls overlap rather than run one after another.
  std::latch start{3};
  std::vector<std::thread> workers;
  for (int t = 0; t < 3; ++t) {
    workers.emplace_back([&] {
      start.arrive_and_wait();
      for (int i = 0; i < 100; ++i) {
        sim.events().deliver(
            SimEvents::nativeMouseEvent(platform::EventType::leftMouseDown, {1, 1}));
        sim.events().post(platform::EventTapLocation::hid,
                          platform::Event(platform::EventType::keyDown));
        tap->enable(true);
      }
    });
  }
  for (auto& worker : workers) {
    worker.join();
  }
  EXPECT_EQ(seen.load(), 300);
  EXPECT_EQ(sim.events().posted().size(), 300u);
}

// The real event loop takes work from several threads while it runs. The producers start
// together, once the loop has run its first item, so the work arrives while it runs.
TEST(SimPlatformConcurrency, ProductionLoopTakesWorkFromManyThreads) {
  platform::EventLoop loop;
  std::latch start{4};
  loop.async([&] { start.count_down(); });
  std::thread runner([&] { loop.run(); });
  std::atomic<int> ran{0};
  std::vector<std::thread> producers;
  for (int t = 0; t < 3; ++t) {
    producers.emplace_back([&] {
      start.arrive_and_wait();
      for (int i = 0; i < 100; ++i) {
        loop.async([&] { ++ran; });
        loop.asyncAfter(0.0001, [&] { ++ran; });
      }
    });
  }
  for (auto& producer : producers) {
    producer.join();
  }
  std::atomic<bool> done{false};
  loop.asyncAfter(0.01, [&] { done = true; });
  EXPECT_TRUE(testing::eventually([&] { return done.load(); }));
  loop.stop();
  runner.join();
  EXPECT_EQ(ran.load(), 600);
}

}  // namespace
}  // namespace tactora::sim
