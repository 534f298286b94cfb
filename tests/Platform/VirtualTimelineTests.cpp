#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/sim/VirtualTimeline.h"

namespace tactora::sim {
namespace {

// Due work in time order, ties in scheduling order, work scheduled while running within the same
// advance; cancelled work never runs, and an advance from inside running work does nothing.
TEST(VirtualTimeline, RunsDueWorkInOrderIncludingWhatRunningWorkSchedules) {
  VirtualTimeline timeline;
  std::vector<std::string> ran;
  timeline.scheduleAfter(0.5, [&] { ran.push_back("b@" + std::to_string(timeline.now())); });
  timeline.scheduleAfter(0.2, [&] { ran.push_back("a1"); });
  timeline.scheduleAfter(0.2, [&] {
    ran.push_back("a2");
    timeline.advanceBy(10.0);
    timeline.scheduleAfter(0.0, [&] { ran.push_back("queued now"); });
    timeline.scheduleAfter(0.35, [&] { ran.push_back("follow-up"); });
  });
  timeline.scheduleAfter(0.3, [&] { ran.push_back("between"); });
  timeline.scheduleAfter(0.3, [&] { ran.push_back("cancelled"); })->cancel();
  timeline.scheduleAfter(0.9, [&] { ran.push_back("late"); });

  timeline.advanceTo(0.6);

  EXPECT_EQ(ran, (std::vector<std::string>{"a1", "a2", "queued now", "between",
                                           "b@" + std::to_string(0.5), "follow-up"}));
  EXPECT_DOUBLE_EQ(timeline.now(), 0.6);
  EXPECT_EQ(timeline.pendingOneShotCount(), 1u) << "the cancelled item is not pending";
  timeline.scheduleAfter(5.0, [&] { ran.push_back("cancelled"); })->cancel();
  EXPECT_EQ(timeline.runUntilIdle(), 1u);
  EXPECT_DOUBLE_EQ(timeline.now(), 0.9) << "time does not move to a cancelled item's due time";
}

// Repeating timers fire on their grid on the way, but runUntilIdle waits for one-shot work only,
// and work that reschedules itself stops at the bound. (A timer stopping itself from its own
// handler is the collapsed pause's plain timer.)
TEST(VirtualTimeline, RunUntilIdleIgnoresRepeatingTimersFiresThemOnTheWayAndIsBounded) {
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
  EXPECT_EQ(timeline.runUntilIdle(), 0u);
  EXPECT_DOUBLE_EQ(timeline.now(), 106.0);
  timer->invalidate();
  EXPECT_FALSE(timeline.nextDueTime().has_value());
  std::function<void()> again = [&] { timeline.scheduleAfter(1.0, again); };
  timeline.scheduleAfter(1.0, again);
  EXPECT_EQ(timeline.runUntilIdle(50), 50u);
  EXPECT_DOUBLE_EQ(timeline.now(), 156.0);
}

// Two watchdogs (1 s, 2 s), a plain timer that stops after three firings and an item after a
// pause of `gap` seconds: what ran and when (the watchdogs and the item relative to the end of
// the pause), and how many firings there were.
std::pair<std::string, std::size_t> runAcrossACollapsedPause(double gap) {
  VirtualTimeline timeline;
  timeline.setCollapsesIdleTime(true);
  std::string ran;
  auto note = [&](const char* what, double time) { ran += what + std::to_string(time) + " "; };
  std::vector<std::shared_ptr<platform::RepeatingTimer>> timers;
  for (double interval : {0.25, 1.0, 2.0}) {
    const bool plain = interval < 1;
    auto timer = std::make_shared<platform::RepeatingTimer>(interval, [&, plain] {
      note(plain ? "plain@" : "watchdog@", timeline.now() - (plain ? 0 : gap));
      if (plain && timeline.now() >= 0.75) {
        timers.front()->invalidate();
      }
    });
    if (!plain) {
      timer->markAsWatchdog();
    }
    timers.push_back(timer);
    timeline.scheduleRepeating(interval, timer);
  }
  timeline.scheduleAfter(gap + 0.25, [&] { note("item@", timeline.now() - gap); });
  timeline.advanceTo(gap + 3);
  note("next@", timeline.nextDueTime().value_or(0) - gap);
  return {ran, timeline.timerFirings()};
}

TEST(VirtualTimeline, CollapsedPausesFireEachWatchdogOnceOnItsGridAndNothingElseChanges) {
  // Each stretch of watchdogs alone keeps only each one's last firing, on the same grid.
  for (double gap : {1e4, 9.2e12}) {
    const auto [collapsed, firings] = runAcrossACollapsedPause(gap);
    EXPECT_LT(firings, 10u);
    EXPECT_EQ(collapsed,
              "plain@0.250000 plain@0.500000 plain@0.750000 watchdog@0.000000 watchdog@0.000000 "
              "item@0.250000 watchdog@2.000000 watchdog@3.000000 next@4.000000 ");
  }
}

}  // namespace
}  // namespace tactora::sim
