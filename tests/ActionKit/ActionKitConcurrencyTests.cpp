#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "ActionKit/AppSwitcher.h"
#include "ActionKit/SyntheticDrag.h"
#include "ActionKit/SyntheticScroll.h"
#include "SimActionFixture.h"

namespace tactora {
namespace {

using platform::EventType;

// Runs `body(i)` for i in [0, count) on `threads` threads at once.
template <class Body>
void onThreads(int threads, Body body) {
  std::vector<std::thread> running;
  std::atomic<bool> go{false};
  for (int t = 0; t < threads; ++t) {
    running.emplace_back([&go, &body, t] {
      while (!go.load()) {
        std::this_thread::yield();
      }
      body(t);
    });
  }
  go.store(true);
  for (auto& thread : running) {
    thread.join();
  }
}

class ActionKitConcurrency : public testing::SimActionTest {
 protected:
  // Moves virtual time on, from its own thread, until `done`: the main queue and the global
  // queue's timers then fire concurrently with the callers.
  std::thread timeKeeper(std::atomic<bool>& done) {
    return std::thread([this, &done] {
      while (!done.load()) {
        sim->timeline().advanceBy(0.01);
      }
    });
  }
};

TEST_F(ActionKitConcurrency, DragEventsFromManyThreadsStayBracketedByPressAndRelease) {
  SyntheticDrag drag(*sim);
  onThreads(4, [&](int thread) {
    for (int i = 0; i < 300; ++i) {
      switch ((i + thread) % 5) {
        case 0:
          drag.begin(platform::Point{double(i), double(thread)});
          break;
        case 1:
          sim->events().setPointer({double(i), double(i)});
          drag.followCursor();
          break;
        case 2:
          drag.moveBy(1.5, -0.5);
          break;
        case 3:
          drag.followCursor();
          break;
        case 4:
          drag.end();
          break;
      }
    }
  });
  drag.end();

  bool down = false;
  for (const auto& record : sim->events().posted()) {
    switch (record.event.type()) {
      case EventType::leftMouseDown:
        ASSERT_FALSE(down);
        down = true;
        break;
      case EventType::leftMouseDragged:
        ASSERT_TRUE(down);
        break;
      case EventType::leftMouseUp:
        ASSERT_TRUE(down);
        down = false;
        break;
      default:
        FAIL() << platform::toString(record.event.type());
    }
  }
  EXPECT_FALSE(down);
}

TEST_F(ActionKitConcurrency, ScrollingAndMomentumTicksOverlapAndMomentumEndsWhenStopped) {
  auto scroller = SyntheticScroll::create(*sim);
  std::atomic<bool> done{false};
  auto keeper = timeKeeper(done);
  onThreads(3, [&](int thread) {
    for (int i = 0; i < 300; ++i) {
      switch ((i + thread) % 3) {
        case 0:
          scroller->scroll(1, -1);
          break;
        case 1:
          scroller->startMomentum(400, thread % 2 == 0 ? 300 : -300);
          break;
        case 2:
          scroller->stopMomentum();
          break;
      }
    }
  });
  scroller->stopMomentum();
  done.store(true);
  keeper.join();

  EXPECT_FALSE(scroller->isMomentumRunning());
  const auto postedBefore = sim->events().posted().size();
  sim->timeline().advanceBy(10);
  EXPECT_EQ(sim->events().posted().size(), postedBefore);
  for (const auto& record : sim->events().posted()) {
    EXPECT_EQ(record.event.type(), EventType::scrollWheel);
    EXPECT_TRUE(SharedEventSource::isSynthetic(record.event));
  }
}

TEST_F(ActionKitConcurrency, AppSwitcherStepsReleasesAndTimersNeverInterleave) {
  auto switcher = AppSwitcher::create(*sim);
  switcher->setHoldSeconds(0.05);
  std::atomic<bool> done{false};
  auto keeper = timeKeeper(done);
  onThreads(3, [&](int thread) {
    for (int i = 0; i < 300; ++i) {
      if (thread == 2 && i % 7 == 0) {
        switcher->release();
      } else if (thread == 2 && i % 11 == 0) {
        switcher->setHoldSeconds(i % 2 == 0 ? 0.02 : 0.08);
      } else {
        switcher->cycle(thread == 0);
      }
    }
  });
  done.store(true);
  keeper.join();
  switcher->release();
  EXPECT_FALSE(switcher->isHolding());

  // Command presses and releases alternate; each Tab step lies whole inside a press.
  bool holding = false;
  const auto records = sim->events().posted();
  for (std::size_t i = 0; i < records.size(); ++i) {
    const auto& event = records[i].event;
    switch (event.type()) {
      case EventType::flagsChanged:
        ASSERT_EQ(event.flags() != 0, !holding) << "event " << i;
        holding = !holding;
        break;
      case EventType::keyDown:
        ASSERT_TRUE(holding) << "event " << i;
        ASSERT_LT(i + 1, records.size());
        ASSERT_EQ(records[i + 1].event.type(), EventType::keyUp) << "event " << i;
        break;
      case EventType::keyUp:
        ASSERT_TRUE(holding) << "event " << i;
        break;
      default:
        FAIL() << platform::toString(event.type());
    }
  }
  EXPECT_FALSE(holding);
}

}  // namespace
}  // namespace tactora
