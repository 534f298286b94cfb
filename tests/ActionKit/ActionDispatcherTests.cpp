// What the actions do on the simulated platform: each action's events, the held app switcher, the
// synthetic drag and scroll, and the desktop bridges' fallbacks. The same actions writing to a real
// uinput device are in the Linux posting tests.
#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "ActionKit/ActionDispatcher.h"
#include "ActionKit/AppSwitcher.h"
#include "ActionKit/SyntheticDrag.h"
#include "ActionKit/SyntheticScroll.h"
#include "ActionKit/SystemBridgeActions.h"
#include "Platform/Log.h"
#include "SimActionFixture.h"
#include "support/CapturingLogSink.h"
#include "support/Race.h"

namespace tactora {
namespace {

using Case = Action::Case;
using Lines = std::vector<std::string>;
using platform::EventType;
using platform::HotKeyValue;

class Actions : public testing::SimActionTest {
 protected:
  ~Actions() override { platform::Log::setSink(previousSink); }

  void at(double seconds) { sim->timeline().advanceTo(seconds); }
  // Installs a fresh platform whose event source cannot be created.
  static std::shared_ptr<sim::SimPlatform> withoutEventSource() {
    auto platform = sim::SimPlatform::install();
    platform->events().setEventSourceAvailable(false);
    return platform;
  }

  ActionDispatcher dispatcher;
  std::shared_ptr<AppSwitcher> switcher = AppSwitcher::create(*sim);
  std::shared_ptr<platform::CapturingLogSink> log = std::make_shared<platform::CapturingLogSink>();
  std::shared_ptr<platform::LogSink> previousSink = platform::Log::setSink(log);

  // The events posted since the last call, optionally with their virtual times.
  Lines effects(bool withTimes = false) {
    Lines lines = posted(withTimes);
    sim->events().clearRecords();
    return lines;
  }
};

TEST_F(Actions, FailuresOnlyLoseWhatFailed) {
  sim->systemBridges().setDockFunctionAvailable(false);
  sim->workspace().setLaunchFails(true);
  dispatcher.perform(Action(Case::missionControl));
  dispatcher.perform(Action::shellCommand("true"));
  EXPECT_TRUE(sim->systemBridges().dockNotifications().empty());
  EXPECT_EQ(sim->workspace().launchedProcesses().size(), 1u) << "a failed launch is absorbed";

  // Without an event source only the actions that post no events still work.
  auto noSource = withoutEventSource();
  ActionDispatcher onNoSource;
  for (const Case kind : allActionCases) {
    onNoSource.perform(kind == Case::keyShortcut ? Action::keyShortcut(4, 0) : Action(kind));
  }
  noSource->timeline().advanceBy(10);
  EXPECT_TRUE(noSource->events().posted().empty());
  EXPECT_EQ(noSource->systemBridges().dockNotifications().size(), 3u);
  EXPECT_EQ(noSource->accessibility().pressCount(), 1);
  EXPECT_EQ(noSource->workspace().launchedProcesses().size(), 1u);
}

TEST_F(Actions, AppSwitcherStepsPushTheReleaseBackUntilTheSixSecondBound) {
  // A step every 0.5 s with a 0.6 s hold would hold forever; the bound from the first step ends
  // the hold at 6.0 s although the 12th step came at 5.5 s.
  for (int step = 0; step < 12; ++step) {
    at(step * 0.5);
    switcher->cycle(true);
  }
  at(5.999);
  EXPECT_TRUE(switcher->isHolding());
  at(10);
  EXPECT_EQ(log->messages("AppSwitcher"),
            Lines{"app switcher hit its maximum hold — releasing its held modifier"});
  auto lines = posted(true);
  ASSERT_EQ(lines.size(), 26u);  // one press, 12 Tab steps, one release
  EXPECT_EQ(lines[23], "5.500 keyDown 48 flags 0x100000");
  EXPECT_EQ(lines[25], "6.000 flagsChanged 55 flags 0x0");
  // The next step starts a new hold with a new press and its own bound.
  switcher->setHoldSeconds(100);
  switcher->cycle(true);
  at(16);
  lines = posted(true);
  EXPECT_EQ(lines[26], "10.000 flagsChanged 55 flags 0x100000");
  EXPECT_EQ(lines.back(), "16.000 flagsChanged 55 flags 0x0");
}

// A release lets go once and cancels both timers; a zero hold releases on the main queue right
// after the step, not during it; a switcher that is gone leaves no timer behind.
TEST_F(Actions, AppSwitcherReleasesOnceWhateverIsLost) {
  switcher->release();  // idle: nothing
  switcher->cycle(false);
  at(0.2);
  switcher->release();
  switcher->release();
  at(10);
  EXPECT_EQ(effects(), (Lines{"flagsChanged 55 flags 0x100000", "keyDown 48 flags 0x120000",
                              "keyUp 48 flags 0x120000", "flagsChanged 55 flags 0x0"}));
  switcher->setHoldSeconds(0);
  switcher->cycle(true);
  EXPECT_TRUE(switcher->isHolding());
  sim->timeline().runDue();
  EXPECT_FALSE(switcher->isHolding());
  effects();
  switcher->setHoldSeconds(0.6);
  switcher->cycle(true);
  switcher.reset();
  at(20);
  EXPECT_EQ(effects().size(), 3u) << "the timers went with the switcher";
  EXPECT_TRUE(log->lines().empty());
  auto noSource = withoutEventSource();
  AppSwitcher::shared().cycle(true);
  EXPECT_TRUE(AppSwitcher::shared().isHolding());
  noSource->timeline().advanceTo(0.6);
  EXPECT_FALSE(AppSwitcher::shared().isHolding());
}

// Following and nudging chain their deltas from the last posted position (halves round away from
// zero); operations outside their state are ignored, and without a source the state still
// changes but nothing is posted.
TEST_F(Actions, SyntheticDragChainsItsDeltasAndIgnoresWhatIsOutOfState) {
  SyntheticDrag& drag = SyntheticDrag::shared();
  drag.followCursor();
  drag.moveBy(5, 5);
  drag.end();
  sim->events().setPointer({50, 50});
  drag.begin(std::nullopt);             // at the pointer
  drag.begin(platform::Point{90, 90});  // a second begin keeps the first drag
  drag.moveBy(1.6, -0.4);
  sim->events().setPointer({60.5, 49.5});
  drag.followCursor();  // measured from the nudged position, not the pointer's last one
  drag.moveBy(-2.5, 2.5);
  sim->events().setPointer({63, 47});
  drag.end();
  drag.end();
  EXPECT_EQ(effects(), (Lines{"leftMouseDown (50, 50) button 0 click 1 delta (0, 0) marked",
                              "leftMouseDragged (51.6, 49.6) button 0 click 1 delta (2, 0) marked",
                              "leftMouseDragged (60.5, 49.5) button 0 click 1 delta (9, 0) marked",
                              "leftMouseDragged (58, 52) button 0 click 1 delta (-3, 3) marked",
                              "leftMouseUp (63, 47) button 0 click 1 delta (5, -5) marked"}));
  EXPECT_EQ(drag.lastPosition(), (platform::Point{58, 52}));
  auto noSource = withoutEventSource();
  SyntheticDrag own(*noSource);
  own.begin(platform::Point{1, 1});
  own.moveBy(3, 3);
  EXPECT_EQ(own.lastPosition(), (platform::Point{4, 4}));
  own.end();
  EXPECT_FALSE(own.isDragging());
  EXPECT_TRUE(noSource->events().posted().empty());
}

// Amounts are whole pixels, halves rounded away from zero and clamped to the wheel's range.
// Momentum decays each 60 Hz tick and stops on the tick where the speed reaches 6 px/s; a scroll,
// a new momentum or the scroller going stops the running one.
TEST_F(Actions, SyntheticScrollRoundsAndItsMomentumDecaysAndStops) {
  auto scroller = SyntheticScroll::create(*sim);
  const auto toTick = [this](int tick) { at((tick + 0.5) / 60.0); };
  scroller->scroll(0.4f, -0.4f);  // both round to 0: nothing
  scroller->scroll(-1.5f, 2.49f);
  scroller->scroll(3e10f, -3e10f);
  scroller->scroll(std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity());
  EXPECT_EQ(sim->events().posted()[0].event.integerValueField(
                platform::EventField::scrollWheelEventIsContinuous),
            1);
  EXPECT_EQ(effects(), (Lines{"scrollWheel vertical 2 horizontal -2 marked",
                              "scrollWheel vertical -2147483648 horizontal 2147483647 marked"}));
  scroller->startMomentum(100, 0);
  toTick(1);
  // 100 × 0.93 / 60 = 1.55 px on the first tick.
  EXPECT_EQ(posted(), (Lines{"scrollWheel vertical 0 horizontal 2 marked"}));
  toTick(16);
  EXPECT_EQ(posted().size(), 16u);
  // Below 30 px/s a step rounds to nothing, but the momentum runs on until 6 px/s.
  toTick(38);
  EXPECT_EQ(effects().size(), 16u);
  EXPECT_TRUE(scroller->isMomentumRunning());
  toTick(39);
  EXPECT_FALSE(scroller->isMomentumRunning());
  EXPECT_EQ(sim->timeline().nextDueTime(), std::nullopt);
  scroller->startMomentum(6, 0);
  EXPECT_FALSE(scroller->isMomentumRunning());
  scroller->startMomentum(-4.5f, 4.5f);  // 6.36 px/s combined
  EXPECT_TRUE(scroller->isMomentumRunning());
  scroller->startMomentum(600, 0);
  toTick(41);
  scroller->startMomentum(0, -600);
  toTick(42);
  scroller->scroll(0, 4);
  EXPECT_FALSE(scroller->isMomentumRunning());
  at(3);
  scroller->startMomentum(600, 0);
  scroller.reset();
  at(4);
  EXPECT_EQ(effects(), (Lines{"scrollWheel vertical 0 horizontal 9 marked",
                              "scrollWheel vertical -9 horizontal 0 marked",
                              "scrollWheel vertical 4 horizontal 0 marked"}));
  EXPECT_EQ(sim->timeline().nextDueTime(), std::nullopt);
}

constexpr std::uint32_t moveLeft = 79;
constexpr std::uint32_t moveRight = 81;

// The binding is replayed with its modifiers (bits that name none are ignored) and 20 ms between
// the key's press and release; a key beyond 16 bits is not truncated into some other key; both
// hot-key functions and an event source are needed. Desktop bindings, unbound directions and every
// modifier combination are covered by the Linux platform and posting tests.
TEST_F(Actions, SpaceSwitchReplaysAnEnabledBindingWithItsModifiers) {
  at(1);
  switchSpace(true);  // Control-Right Arrow
  EXPECT_EQ(effects(true),
            (Lines{"1.000 keyDown 124 flags 0x40000", "1.020 keyUp 124 flags 0x40000"}));
  sim->systemBridges().setHotKey(moveLeft, HotKeyValue{0, 123, 0x80ff, true});
  switchSpace(false);
  EXPECT_EQ(effects(), (Lines{"keyDown 123 flags 0x0", "keyUp 123 flags 0x0"}));
  sim->systemBridges().setHotKey(moveRight, HotKeyValue{0, 0x10000 + 124, 0x1000, true});
  switchSpace(true);
  EXPECT_EQ(effects(), Lines{});
  EXPECT_EQ(sim->dispatch().pauses().size(), 2u);
  for (const bool hotKeys : {false, true}) {
    auto other = hotKeys ? withoutEventSource() : sim::SimPlatform::install();
    other->systemBridges().setHotKeyFunctionsAvailable(hotKeys);
    switchSpace(true);
    EXPECT_TRUE(other->events().posted().empty());
    EXPECT_TRUE(other->dispatch().pauses().empty());
  }
}

// The app switcher and the momentum scroller called from three threads at once, while a fourth
// keeps moving virtual time so that the main queue's and the global queue's timers fire
// concurrently with the callers (the synthetic drag races the frame thread in the application's
// concurrency test). All four start together, and the callers go on until the clock has made a
// minimum of steps, so timers and calls overlap whatever the scheduler does.
// The threaded cases are named *Concurrency: the ThreadSanitizer run picks them by that name.
using ActionKitConcurrency = Actions;

TEST_F(ActionKitConcurrency, SwitcherAndMomentumCalledFromManyThreadsNeverInterleaveAndStop) {
  auto scroller = SyntheticScroll::create(*sim);
  switcher->setHoldSeconds(0.05);
  const auto caller = [&](int t) {
    return [&, t](int i) {
      if (t < 2) {
        switcher->cycle(t == 0);
      } else if (i % 5 == 0) {
        switcher->setHoldSeconds(i % 2 == 0 ? 0.02 : 0.08);
      } else {
        switcher->release();
      }
      if ((i + t) % 3 == 0) {
        scroller->scroll(1, -1);
      } else if ((i + t) % 3 == 1) {
        scroller->startMomentum(400, t % 2 == 0 ? 300 : -300);
      } else {
        scroller->stopMomentum();
      }
    };
  };
  testing::race({caller(0), caller(1), caller(2), [this](int) { sim->timeline().advanceBy(0.01); }},
                300);
  switcher->release();
  scroller->stopMomentum();
  const auto postedBefore = sim->events().posted().size();
  sim->timeline().advanceBy(10);
  EXPECT_EQ(sim->events().posted().size(), postedBefore) << "the momentum stopped";
  // Modifier presses and releases alternate, and each Tab step lies whole inside a press.
  std::vector<platform::Event> keys;
  for (const auto& record : sim->events().posted()) {
    if (record.event.type() != EventType::scrollWheel) {
      keys.push_back(record.event);
    }
  }
  bool holding = false;
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const auto type = keys[i].type();
    if (type == EventType::flagsChanged) {
      ASSERT_EQ(keys[i].flags() != 0, !holding) << "event " << i;
      holding = !holding;
    } else {
      ASSERT_TRUE(holding) << "event " << i;
      ASSERT_TRUE(type == EventType::keyUp || keys.at(i + 1).type() == EventType::keyUp)
          << "event " << i;
    }
  }
  EXPECT_FALSE(holding);
}

}  // namespace
}  // namespace tactora
