#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/sim/VirtualTimeline.h"

namespace tactora::sim {
namespace {

TEST(VirtualTimeline, RunsDueWorkInTimeOrderWithTiesInSchedulingOrder) {
  VirtualTimeline timeline;
  std::vector<std::string> ran;
  timeline.scheduleAfter(0.5, [&] { ran.push_back("b@" + std::to_string(timeline.now())); });
  timeline.scheduleAfter(0.2, [&] { ran.push_back("a1"); });
  timeline.scheduleAfter(0.2, [&] { ran.push_back("a2"); });
  timeline.scheduleAfter(0.9, [&] { ran.push_back("late"); });

  timeline.advanceTo(0.6);

  EXPECT_EQ(ran, (std::vector<std::string>{"a1", "a2", "b@" + std::to_string(0.5)}));
  EXPECT_DOUBLE_EQ(timeline.now(), 0.6);
  EXPECT_EQ(timeline.pendingOneShotCount(), 1u);
}

TEST(VirtualTimeline, WorkScheduledWhileRunningRunsInOrderWithinTheSameAdvance) {
  VirtualTimeline timeline;
  std::vector<std::string> ran;
  timeline.scheduleAfter(0.1, [&] {
    ran.push_back("first");
    timeline.scheduleAfter(0.0, [&] { ran.push_back("queued now"); });
    timeline.scheduleAfter(0.1, [&] { ran.push_back("follow-up"); });
  });
  timeline.scheduleAfter(0.15, [&] { ran.push_back("between"); });

  timeline.advanceBy(1.0);

  EXPECT_EQ(ran, (std::vector<std::string>{"first", "queued now", "between", "follow-up"}));
}

TEST(VirtualTimeline, CancelledItemsNeverRunAndDoNotCountAsPending) {
  VirtualTimeline timeline;
  int runs = 0;
  auto item = timeline.scheduleAfter(0.3, [&] { ++runs; });
  item->cancel();

  EXPECT_EQ(timeline.pendingOneShotCount(), 0u);
  EXPECT_EQ(timeline.runUntilIdle(), 0u);
  EXPECT_EQ(runs, 0);
  // Nothing was pending, so time did not move to the cancelled item's due time.
  EXPECT_DOUBLE_EQ(timeline.now(), 0.0);
}

TEST(VirtualTimeline, RepeatingTimerFiresOnItsGridUntilInvalidatedFromItsOwnHandler) {
  VirtualTimeline timeline;
  std::vector<double> firedAt;
  auto timer =
      std::make_shared<platform::RepeatingTimer>(0.25, [&] { firedAt.push_back(timeline.now()); });
  timeline.scheduleRepeating(0.25, timer);

  timeline.advanceTo(1.0);
  ASSERT_EQ(firedAt, (std::vector<double>{0.25, 0.5, 0.75, 1.0}));

  std::shared_ptr<platform::RepeatingTimer> selfStopping;
  int ticks = 0;
  selfStopping = std::make_shared<platform::RepeatingTimer>(0.1, [&] {
    if (++ticks == 3) {
      selfStopping->invalidate();
    }
  });
  timeline.scheduleRepeating(0.1, selfStopping);
  timer->invalidate();
  timeline.advanceBy(5.0);

  EXPECT_EQ(ticks, 3);
  EXPECT_EQ(firedAt.size(), 4u);
  EXPECT_FALSE(timeline.nextDueTime().has_value());
}

TEST(VirtualTimeline, RunUntilIdleIgnoresRepeatingTimersButFiresThemOnTheWay) {
  VirtualTimeline timeline(100.0);
  int timerFirings = 0;
  auto timer = std::make_shared<platform::RepeatingTimer>(1.0, [&] { ++timerFirings; });
  timeline.scheduleRepeating(1.0, timer);
  bool released = false;
  timeline.scheduleAfter(6.0, [&] { released = true; });

  timeline.runUntilIdle();

  EXPECT_TRUE(released);
  EXPECT_DOUBLE_EQ(timeline.now(), 106.0);
  // 101 to 105; the firing at 106 was armed after the item, so it comes after it and waits.
  EXPECT_EQ(timerFirings, 5);
  EXPECT_TRUE(timer->isValid());

  // With only the timer left, runUntilIdle returns at once.
  EXPECT_EQ(timeline.runUntilIdle(), 0u);
  EXPECT_DOUBLE_EQ(timeline.now(), 106.0);
}

// Two watchdogs (1 s and 2 s), a plain timer that stops itself after three firings, and one item
// after a pause of `gapSeconds`: the plain firings and the item, with their times, when the
// watchdogs fired last before the item and are due next, and how many firings there were.
struct IdleRun {
  std::vector<std::string> fired;
  double lastWatchdogBeforeItem = 0;
  double nextDueAfter = 0;  // seconds after the pause
  std::size_t firings = 0;
};

IdleRun runAcrossAPause(bool collapse, double gapSeconds) {
  VirtualTimeline timeline;
  timeline.setCollapsesIdleTime(collapse);
  IdleRun run;
  bool itemRan = false;
  auto note = [&](const std::string& what) {
    if (what == "plain") {
      run.fired.push_back(what + "@" + std::to_string(timeline.now()));
    } else if (what == "item") {
      run.fired.push_back(what + "@+" + std::to_string(timeline.now() - gapSeconds));
    } else if (!itemRan) {
      run.lastWatchdogBeforeItem = timeline.now();
    }
  };
  std::vector<std::shared_ptr<platform::RepeatingTimer>> timers;
  for (double interval : {1.0, 2.0}) {
    timers.push_back(std::make_shared<platform::RepeatingTimer>(
        interval, [&note, interval] { note("watchdog" + std::to_string(int(interval))); }));
    timers.back()->markAsWatchdog();
    timeline.scheduleRepeating(interval, timers.back());
  }
  int plainFirings = 0;
  std::shared_ptr<platform::RepeatingTimer> plain;
  plain = std::make_shared<platform::RepeatingTimer>(0.5, [&] {
    note("plain");
    if (++plainFirings == 3) {
      plain->invalidate();
    }
  });
  timeline.scheduleRepeating(0.5, plain);
  timeline.scheduleAt(gapSeconds + 0.25, platform::WorkItem::make([&] {
                        itemRan = true;
                        note("item");
                      }));
  timeline.advanceTo(gapSeconds + 3);
  run.nextDueAfter = timeline.nextDueTime().value_or(0) - gapSeconds;
  run.firings = timeline.timerFirings();
  return run;
}

TEST(VirtualTimeline, CollapsedPausesFireEachWatchdogOnceOnItsGridAndNothingElseChanges) {
  const IdleRun full = runAcrossAPause(false, 1e4);
  const IdleRun collapsed = runAcrossAPause(true, 1e4);
  EXPECT_EQ(collapsed.fired, full.fired);
  EXPECT_EQ(collapsed.lastWatchdogBeforeItem, full.lastWatchdogBeforeItem);
  EXPECT_EQ(collapsed.nextDueAfter, 4.0);
  EXPECT_EQ(full.nextDueAfter, 4.0);
  EXPECT_GT(full.firings, 10'000u);
  EXPECT_LT(collapsed.firings, 20u);
  // A pause of 290,000 years: as few firings, on the same grid.
  const IdleRun huge = runAcrossAPause(true, 9.2e12);
  EXPECT_EQ(huge.fired, full.fired);
  EXPECT_EQ(huge.lastWatchdogBeforeItem, 9.2e12);
  EXPECT_EQ(huge.nextDueAfter, 4.0);
  EXPECT_LT(huge.firings, 20u);
}

TEST(VirtualTimeline, SleepMovesTimeWithoutRunningWorkThatFellDue) {
  VirtualTimeline timeline;
  std::vector<std::string> ran;
  double nowAfterSleep = 0;
  timeline.scheduleAfter(0.0, [&] {
    ran.push_back("key down");
    timeline.sleep(0.02);
    nowAfterSleep = timeline.now();
    ran.push_back("key up");
  });
  timeline.scheduleAfter(0.01, [&] { ran.push_back("other work"); });

  timeline.runDue();

  EXPECT_EQ(ran, (std::vector<std::string>{"key down", "key up", "other work"}));
  EXPECT_DOUBLE_EQ(nowAfterSleep, 0.02);
  // Overdue work runs late; the clock never goes back.
  EXPECT_DOUBLE_EQ(timeline.now(), 0.02);
}

TEST(VirtualTimeline, AdvancingFromInsideRunningWorkDoesNothing) {
  VirtualTimeline timeline;
  int laterRuns = 0;
  timeline.scheduleAfter(0.1, [&] { timeline.advanceBy(10.0); });
  timeline.scheduleAfter(5.0, [&] { ++laterRuns; });

  timeline.advanceTo(1.0);

  EXPECT_EQ(laterRuns, 0);
  EXPECT_DOUBLE_EQ(timeline.now(), 1.0);
}

TEST(VirtualTimeline, RunUntilIdleStopsWorkThatReschedulesItselfForever) {
  VirtualTimeline timeline;
  std::function<void()> again = [&] { timeline.scheduleAfter(1.0, again); };
  timeline.scheduleAfter(1.0, again);

  EXPECT_EQ(timeline.runUntilIdle(50), 50u);
  EXPECT_DOUBLE_EQ(timeline.now(), 50.0);
}

}  // namespace
}  // namespace tactora::sim
