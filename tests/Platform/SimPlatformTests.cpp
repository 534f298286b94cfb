#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/sim/SimPlatform.h"

namespace tactora::sim {
namespace {

TEST(SimPlatform, InstallMakesItTheCurrentPlatformAndKeepsEarlierOnesValid) {
  auto first = SimPlatform::install();
  platform::Clock& firstClock = platform::Platform::current().clock();
  auto second = SimPlatform::install(50.0);

  EXPECT_EQ(&platform::Platform::current(), second.get());
  EXPECT_DOUBLE_EQ(platform::Platform::current().clock().uptimeSeconds(), 50.0);
  first.reset();
  EXPECT_DOUBLE_EQ(firstClock.uptimeSeconds(), 0.0);  // still alive
}

TEST(SimPlatform, EachPlatformHasItsOwnDataFolders) {
  SimPlatform a;
  SimPlatform b;
  EXPECT_NE(a.workspace().applicationSupportDirectory(),
            b.workspace().applicationSupportDirectory());
  EXPECT_NE(a.loginItems().agentDirectory(), b.loginItems().agentDirectory());
}

TEST(SimPlatform, ThreadsRunTheirBodyAtTheNextAdvanceAndTheirTimersOnTheTimeline) {
  SimPlatform sim;
  std::vector<double> timerFirings;
  bool bodyRan = false;
  auto thread = sim.dispatch().startThread(
      "com.vellumworks.Tactora.ScrollSuppressionTap", [&](platform::RunLoop& loop) {
        bodyRan = true;
        loop.scheduleRepeating(1.0, [&] { timerFirings.push_back(sim.clock().uptimeSeconds()); });
        loop.run();  // returns at once on the simulated platform
      });
  EXPECT_FALSE(bodyRan);
  EXPECT_EQ(thread->name(), "com.vellumworks.Tactora.ScrollSuppressionTap");

  sim.timeline().advanceTo(2.5);

  EXPECT_TRUE(bodyRan);
  EXPECT_EQ(timerFirings, (std::vector<double>{1.0, 2.0}));
  EXPECT_EQ(sim.dispatch().startedThreadNames(),
            (std::vector<std::string>{"com.vellumworks.Tactora.ScrollSuppressionTap"}));
}

TEST(SimPlatform, PauseIsAStepOfVirtualTimeAndWallClockFollowsUptime) {
  SimPlatform sim(10.0);
  const double wallBefore = sim.clock().wallClockSeconds();
  bool otherRan = false;
  sim.dispatch().main().asyncAfter(0.01, [&] { otherRan = true; });

  sim.dispatch().pause(0.02);

  EXPECT_FALSE(otherRan);
  EXPECT_DOUBLE_EQ(sim.clock().uptimeSeconds(), 10.02);
  EXPECT_NEAR(sim.clock().wallClockSeconds() - wallBefore, 0.02, 1e-6);
  EXPECT_EQ(sim.dispatch().pauses(), (std::vector<double>{0.02}));
  sim.clock().setWallClockOffset(0);
  EXPECT_DOUBLE_EQ(sim.clock().wallClockSeconds(), 10.02);
}

}  // namespace
}  // namespace tactora::sim
