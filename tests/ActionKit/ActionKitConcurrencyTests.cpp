// The app switcher and the momentum scroller called from several threads while their timers fire
// (the synthetic drag races the frame thread in the application's concurrency test).
#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <memory>
#include <thread>
#include <vector>

#include "ActionKit/AppSwitcher.h"
#include "ActionKit/SyntheticScroll.h"
#include "Platform/Log.h"
#include "SimActionFixture.h"
#include "support/CapturingLogSink.h"

namespace tactora {
namespace {

using platform::EventType;

// Runs body(thread, i) for at least 300 values of i on each of three threads at once, while a
// fourth thread keeps moving virtual time so that the main queue's and the global queue's timers
// fire concurrently with the callers. All four start together, and the callers go on until the
// clock has made a minimum of steps, so timers and calls overlap whatever the scheduler does.
class ActionKitConcurrency : public testing::SimActionTest {
 protected:
  // Keeps the switcher's maximum-hold notices out of the test output.
  std::shared_ptr<platform::LogSink> previousSink =
      platform::Log::setSink(std::make_shared<platform::CapturingLogSink>());
  ~ActionKitConcurrency() override { platform::Log::setSink(previousSink); }

  template <class Body>
  void race(Body body) {
    constexpr int callers = 3;
    constexpr int minCalls = 300;
    constexpr int minClockSteps = 50;
    std::latch start{callers + 1};
    std::atomic<int> clockSteps{0};
    std::atomic<bool> done{false};
    std::thread clock([&] {
      start.arrive_and_wait();
      while (!done.load()) {
        sim->timeline().advanceBy(0.01);
        ++clockSteps;
      }
    });
    std::vector<std::thread> threads;
    for (int t = 0; t < callers; ++t) {
      threads.emplace_back([&, t] {
        start.arrive_and_wait();
        for (int i = 0; i < minCalls || clockSteps.load() < minClockSteps; ++i) {
          body(t, i);
        }
      });
    }
    for (auto& thread : threads) {
      thread.join();
    }
    done.store(true);
    clock.join();
  }
};

TEST_F(ActionKitConcurrency, MomentumEndsWhenStoppedWhateverTheInterleaving) {
  auto scroller = SyntheticScroll::create(*sim);
  race([&](int t, int i) {
    switch ((i + t) % 3) {
      case 0:
        return scroller->scroll(1, -1);
      case 1:
        return scroller->startMomentum(400, t % 2 == 0 ? 300 : -300);
      default:
        return scroller->stopMomentum();
    }
  });
  scroller->stopMomentum();
  const auto postedBefore = sim->events().posted().size();
  sim->timeline().advanceBy(10);
  EXPECT_EQ(sim->events().posted().size(), postedBefore);
}

TEST_F(ActionKitConcurrency, AppSwitcherStepsReleasesAndTimersNeverInterleave) {
  auto switcher = AppSwitcher::create(*sim);
  switcher->setHoldSeconds(0.05);
  race([&](int t, int i) {
    if (t < 2) {
      return switcher->cycle(t == 0);
    }
    if (i % 5 == 0) {
      switcher->setHoldSeconds(i % 2 == 0 ? 0.02 : 0.08);
    }
    switcher->release();
  });
  switcher->release();
  // Command presses and releases alternate, and each Tab step lies whole inside a press.
  bool holding = false;
  const auto records = sim->events().posted();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto type = records[i].event.type();
    if (type == EventType::flagsChanged) {
      ASSERT_EQ(records[i].event.flags() != 0, !holding) << "event " << i;
      holding = !holding;
    } else {
      ASSERT_TRUE(holding) << "event " << i;
      ASSERT_TRUE(type == EventType::keyUp || records.at(i + 1).event.type() == EventType::keyUp)
          << "event " << i;
    }
  }
  EXPECT_FALSE(holding);
}

}  // namespace
}  // namespace tactora
