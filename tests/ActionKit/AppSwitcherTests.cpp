#include "ActionKit/AppSwitcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Platform/Log.h"
#include "SimActionFixture.h"
#include "support/CapturingLogSink.h"

namespace tactora {
namespace {

using Lines = std::vector<std::string>;

class AppSwitcherTest : public testing::SimActionTest {
 protected:
  std::shared_ptr<AppSwitcher> switcher = AppSwitcher::create(*sim);
  std::shared_ptr<platform::CapturingLogSink> log = std::make_shared<platform::CapturingLogSink>();
  std::shared_ptr<platform::LogSink> previousSink = platform::Log::setSink(log);

  ~AppSwitcherTest() override { platform::Log::setSink(previousSink); }

  void at(double seconds) { sim->timeline().advanceTo(seconds); }
};

TEST_F(AppSwitcherTest, StepsPushTheReleaseBackUntilTheSixSecondBound) {
  // A step every 0.5 s with a 0.6 s hold would hold forever; the bound from the first step ends
  // the hold at 6.0 s although the 12th step came at 5.5 s.
  for (int step = 0; step < 12; ++step) {
    at(step * 0.5);
    switcher->cycle(true);
  }
  at(5.999);
  EXPECT_TRUE(switcher->isHolding());
  at(10);
  EXPECT_FALSE(switcher->isHolding());
  EXPECT_EQ(log->lines(), (std::vector<platform::CapturingLogSink::Line>{
                              {"AppSwitcher", platform::LogLevel::notice,
                               "app switcher hit its maximum hold — releasing its held modifier"}}));
  auto lines = posted(true);
  ASSERT_EQ(lines.size(), 26u);  // one press, 12 Tab steps, one release
  EXPECT_EQ(lines[0], "0.000 flagsChanged 55 flags 0x100000");
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

TEST_F(AppSwitcherTest, ReleaseLetsGoOnceAndCancelsBothTimers) {
  switcher->release();  // idle: nothing
  switcher->cycle(false);
  at(0.2);
  switcher->release();
  switcher->release();
  at(10);
  EXPECT_EQ(posted(true),
            (Lines{"0.000 flagsChanged 55 flags 0x100000", "0.000 keyDown 48 flags 0x120000",
                   "0.000 keyUp 48 flags 0x120000", "0.200 flagsChanged 55 flags 0x0"}));
  EXPECT_TRUE(log->lines().empty());

  // A zero hold releases on the main queue right after the step, not during it.
  switcher->setHoldSeconds(0);
  switcher->cycle(true);
  EXPECT_TRUE(switcher->isHolding());
  sim->timeline().runDue();
  EXPECT_FALSE(switcher->isHolding());
}

TEST_F(AppSwitcherTest, LostEventsAndAGoneSwitcherDoNotKeepTheHold) {
  sim->events().setEventCreationFailure(
      [](platform::EventType type) { return type == platform::EventType::keyUp; });
  switcher->cycle(true);
  at(0.6);
  EXPECT_FALSE(switcher->isHolding());
  EXPECT_EQ(posted(), (Lines{"flagsChanged 55 flags 0x100000", "keyDown 48 flags 0x100000"}));

  // The timers of a switcher that is gone do nothing.
  switcher->cycle(true);
  switcher.reset();
  at(10);
  EXPECT_EQ(posted().size(), 4u);
  EXPECT_TRUE(log->lines().empty());

  auto noSource = sim::SimPlatform::install();
  noSource->events().setEventSourceAvailable(false);
  AppSwitcher::shared().cycle(true);
  EXPECT_TRUE(AppSwitcher::shared().isHolding());
  noSource->timeline().advanceTo(0.6);
  EXPECT_FALSE(AppSwitcher::shared().isHolding());
}

}  // namespace
}  // namespace tactora
