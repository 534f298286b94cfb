// The Qt main loop as the application's main queue: work from any thread runs on the GUI thread
// in order, delayed items keep their order and can be cancelled, repeating timers stop.

#include "Tactora/shell/QtMainLoop.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QThread>
#include <thread>
#include <vector>

#include "Platform/sim/SimPlatform.h"
#include "Tactora/shell/MainQueuePlatform.h"

namespace tactora::shell {
namespace {

TEST(QtMainLoop, WorkFromAnyThreadRunsOnTheGuiThreadInOrder) {
  QtMainLoop loop;
  std::vector<int> order;
  std::vector<bool> onGuiThread;
  std::thread worker([&] {
    for (int i = 0; i < 3; ++i) {
      loop.async([&, i] {
        order.push_back(i);
        onGuiThread.push_back(QThread::currentThread() == qApp->thread());
      });
    }
  });
  worker.join();
  loop.async([&] { order.push_back(3); });
  ASSERT_TRUE(QTest::qWaitFor([&] { return order.size() == 4; }, 2000));
  EXPECT_EQ(order, (std::vector<int>{0, 1, 2, 3}));
  EXPECT_EQ(onGuiThread, (std::vector<bool>{true, true, true}));
}

TEST(QtMainLoop, DelayedItemsRunInDueOrderAndCancelledOnesNever) {
  QtMainLoop loop;
  std::vector<std::string> ran;
  loop.asyncAfter(0.15, [&] { ran.push_back("later"); });
  loop.asyncAfter(0.01, [&] { ran.push_back("first"); });
  loop.asyncAfter(0.01, [&] { ran.push_back("second"); });
  auto cancelled = loop.asyncAfter(0.02, [&] { ran.push_back("cancelled"); });
  cancelled->cancel();
  std::thread([&] { loop.asyncAfter(0.02, [&] { ran.push_back("from a thread"); }); }).join();

  ASSERT_TRUE(QTest::qWaitFor([&] { return ran.size() == 4; }, 2000));
  EXPECT_EQ(ran, (std::vector<std::string>{"first", "second", "from a thread", "later"}));
  ASSERT_TRUE(QTest::qWaitFor([&] { return loop.activeTimerCount() == 0; }, 2000));
}

TEST(QtMainLoop, RepeatingTimerStopsWhenInvalidatedInsideOrOutsideItsHandler) {
  QtMainLoop loop;
  int inside = 0;
  std::shared_ptr<platform::RepeatingTimer> self;
  self = loop.scheduleRepeating(0.005, [&] {
    if (++inside == 3) {
      self->invalidate();
    }
  });
  int outside = 0;
  auto other = loop.scheduleRepeating(0.005, [&] { ++outside; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return inside == 3 && outside >= 2; }, 2000));
  other->invalidate();
  const int outsideAtInvalidation = outside;

  // Both QTimers go, and nothing fires afterwards.
  ASSERT_TRUE(QTest::qWaitFor([&] { return loop.activeTimerCount() == 0; }, 2000));
  QTest::qWait(20);
  EXPECT_EQ(inside, 3);
  EXPECT_EQ(outside, outsideAtInvalidation);
}

TEST(QtMainLoop, StopEndsRunAndThePlatformHandsOutQtsMainQueue) {
  auto loop = std::make_shared<QtMainLoop>();
  auto backend = std::make_shared<sim::SimPlatform>();
  MainQueuePlatform platform(backend, loop);
  EXPECT_EQ(&platform.dispatch().main(), loop.get());
  EXPECT_EQ(&platform.dispatch().globalUserInteractive(),
            &backend->dispatch().globalUserInteractive());
  EXPECT_EQ(&platform.clock(), &backend->clock());

  bool ran = false;
  platform.dispatch().main().async([&] {
    ran = true;
    platform.dispatch().main().stop();
  });
  platform.dispatch().main().run();  // returns once stopped
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace tactora::shell
