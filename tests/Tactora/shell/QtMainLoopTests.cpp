// The Qt main loop as the application's main queue: work from any thread runs on the GUI thread
// in order, delayed items keep their order and can be cancelled, repeating timers stop.

#include "Tactora/shell/QtMainLoop.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QThread>
#include <string>
#include <thread>
#include <vector>

namespace tactora::shell {
namespace {

// Work from any thread runs on the GUI thread in the order it was queued; delayed items run in due
// order and cancelled ones never. Only orders that do not depend on how the threads are scheduled
// are expected: a delayed item from another thread starts its timer when the GUI thread gets to
// it, so where it falls among items due within the same few milliseconds is left open.
TEST(QtMainLoop, WorkRunsOnTheGuiThreadInOrderCancelledItemsNeverAndTimersStop) {
  QtMainLoop loop;
  std::vector<std::string> immediate;
  std::vector<std::string> delayed;
  std::vector<std::string> fromThread;
  bool offTheGuiThread = false;
  const auto add = [&](std::vector<std::string>& to, std::string name) {
    return [&, name] {
      to.push_back(name);
      offTheGuiThread |= QThread::currentThread() != qApp->thread();
    };
  };
  std::thread([&] {
    loop.async(add(immediate, "0"));
    loop.async(add(immediate, "1"));
    loop.asyncAfter(0.01, add(fromThread, "delayed"));
  }).join();
  loop.async(add(immediate, "2"));
  // Queued first but due last; the margin is far beyond any pause between these calls.
  loop.asyncAfter(0.2, add(delayed, "later"));
  loop.asyncAfter(0.01, add(delayed, "first"));
  loop.asyncAfter(0.01, add(delayed, "second"));
  loop.asyncAfter(0.02, add(delayed, "cancelled"))->cancel();

  ASSERT_TRUE(
      QTest::qWaitFor([&] { return delayed.size() == 3 && fromThread.size() == 1; }, 10000));
  EXPECT_EQ(immediate, (std::vector<std::string>{"0", "1", "2"}));
  EXPECT_EQ(delayed, (std::vector<std::string>{"first", "second", "later"}));
  EXPECT_EQ(fromThread, std::vector<std::string>{"delayed"});
  EXPECT_FALSE(offTheGuiThread);

  // A repeating timer stops when invalidated inside or outside its handler.
  int inside = 0;
  std::shared_ptr<platform::RepeatingTimer> self = loop.scheduleRepeating(0.005, [&] {
    if (++inside == 3) {
      self->invalidate();
    }
  });
  int outside = 0;
  auto other = loop.scheduleRepeating(0.005, [&] { ++outside; });
  ASSERT_TRUE(QTest::qWaitFor([&] { return inside == 3 && outside >= 2; }, 10000));
  other->invalidate();
  const int outsideAtInvalidation = outside;

  // Both QTimers go; with none active, whatever was still pending is handled and nothing fires.
  ASSERT_TRUE(QTest::qWaitFor([&] { return loop.activeTimerCount() == 0; }, 10000));
  QCoreApplication::processEvents();
  EXPECT_EQ(inside, 3);
  EXPECT_EQ(outside, outsideAtInvalidation);
}

}  // namespace
}  // namespace tactora::shell
