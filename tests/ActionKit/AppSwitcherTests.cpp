#include "ActionKit/AppSwitcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Platform/CapturingLogSink.h"
#include "Platform/Log.h"
#include "SimActionFixture.h"

namespace tactora {
namespace {

using testing::SimActionTest;
using Lines = std::vector<std::string>;

constexpr auto maximumHoldMessage = "app switcher hit its maximum hold — releasing Command";

class AppSwitcherTest : public SimActionTest {
 protected:
  std::shared_ptr<AppSwitcher> switcher = AppSwitcher::create(*sim);
  std::shared_ptr<platform::CapturingLogSink> log = std::make_shared<platform::CapturingLogSink>();
  std::shared_ptr<platform::LogSink> previousSink = platform::Log::setSink(log);

  ~AppSwitcherTest() override { platform::Log::setSink(previousSink); }

  void at(double seconds) { sim->timeline().advanceTo(seconds); }
};

TEST_F(AppSwitcherTest, OneStepHoldsCommandUntilTheHoldTimeHasPassed) {
  switcher->cycle(true);
  EXPECT_TRUE(switcher->isHolding());
  at(0.599);
  EXPECT_TRUE(switcher->isHolding());
  at(0.6);
  EXPECT_FALSE(switcher->isHolding());
  EXPECT_EQ(postedWithTimes(),
            (Lines{"0.000 flagsChanged 55 flags 0x100000", "0.000 keyDown 48 flags 0x100000",
                   "0.000 keyUp 48 flags 0x100000", "0.600 flagsChanged 55 flags 0x0"}));
  EXPECT_TRUE(log->lines().empty());
}

TEST_F(AppSwitcherTest, BackwardStepAddsShiftToTabOnly) {
  switcher->cycle(false);
  EXPECT_EQ(posted(), (Lines{"flagsChanged 55 flags 0x100000", "keyDown 48 flags 0x120000",
                             "keyUp 48 flags 0x120000"}));
}

TEST_F(AppSwitcherTest, StepsKeepPushingTheReleaseBackUntilTheSixSecondBound) {
  // A step every 0.5 s with a 0.6 s hold would hold forever; the bound from the first step ends
  // the hold at 6.0 s although the 12th step came at 5.5 s.
  for (int step = 0; step < 12; ++step) {
    at(step * 0.5);
    switcher->cycle(true);
  }
  at(5.999);
  EXPECT_TRUE(switcher->isHolding());
  EXPECT_TRUE(log->lines().empty());
  at(6.0);
  EXPECT_FALSE(switcher->isHolding());
  EXPECT_EQ(log->lines(), (std::vector<platform::CapturingLogSink::Line>{
                              {"AppSwitcher", platform::LogLevel::notice, maximumHoldMessage}}));
  const auto lines = postedWithTimes();
  ASSERT_EQ(lines.size(), 1u + 24u + 1u);
  EXPECT_EQ(lines.front(), "0.000 flagsChanged 55 flags 0x100000");
  EXPECT_EQ(lines.back(), "6.000 flagsChanged 55 flags 0x0");

  // The rolling release that was still armed does nothing more.
  at(10);
  EXPECT_EQ(posted().size(), 26u);

  // The next step starts a new hold with its own bound.
  switcher->setHoldSeconds(100);
  switcher->cycle(true);
  at(15.999);
  EXPECT_TRUE(switcher->isHolding());
  at(16);
  EXPECT_FALSE(switcher->isHolding());
  EXPECT_EQ(postedWithTimes().back(), "16.000 flagsChanged 55 flags 0x0");
  EXPECT_EQ(log->lines().size(), 2u);
}

TEST_F(AppSwitcherTest, ReleaseLetsGoOnceAndCancelsBothTimers) {
  switcher->release();  // idle: nothing
  switcher->cycle(true);
  at(0.2);
  switcher->release();
  switcher->release();
  EXPECT_FALSE(switcher->isHolding());
  at(10);
  EXPECT_EQ(postedWithTimes(),
            (Lines{"0.000 flagsChanged 55 flags 0x100000", "0.000 keyDown 48 flags 0x100000",
                   "0.000 keyUp 48 flags 0x100000", "0.200 flagsChanged 55 flags 0x0"}));
  EXPECT_TRUE(log->lines().empty());
  EXPECT_EQ(sim->timeline().pendingOneShotCount(), 0u);
}

TEST_F(AppSwitcherTest, ZeroHoldReleasesOnTheMainQueueRightAfterTheStep) {
  switcher->setHoldSeconds(0);
  switcher->cycle(true);
  EXPECT_TRUE(switcher->isHolding());  // not before the main queue runs
  sim->timeline().runDue();
  EXPECT_FALSE(switcher->isHolding());
  EXPECT_EQ(posted().back(), "flagsChanged 55 flags 0x0");
}

TEST_F(AppSwitcherTest, WithoutASourceTheHoldStillRunsAndEnds) {
  sim->events().setEventSourceAvailable(false);
  auto& shared = AppSwitcher::shared();
  shared.cycle(true);
  EXPECT_TRUE(shared.isHolding());
  at(0.6);
  EXPECT_FALSE(shared.isHolding());
  EXPECT_EQ(posted(), Lines{});
}

TEST_F(AppSwitcherTest, ACommandReleaseThatCannotBeCreatedDoesNotKeepTheHold) {
  sim->events().setEventCreationFailure(
      [](platform::EventType type) { return type == platform::EventType::keyUp; });
  switcher->cycle(true);
  at(0.6);
  EXPECT_FALSE(switcher->isHolding());
  EXPECT_EQ(posted(), (Lines{"flagsChanged 55 flags 0x100000", "keyDown 48 flags 0x100000"}));
}

TEST_F(AppSwitcherTest, TimersOfASwitcherThatIsGoneDoNothing) {
  switcher->cycle(true);
  switcher.reset();
  at(10);
  EXPECT_EQ(posted().size(), 3u);
  EXPECT_TRUE(log->lines().empty());
}

}  // namespace
}  // namespace tactora
