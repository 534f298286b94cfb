#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/sim/SimPlatform.h"

namespace tactora::sim {
namespace {

// The newest install is the current platform; an earlier one stays usable with its own folders.
TEST(SimPlatform, InstallMakesItTheCurrentPlatformAndKeepsEarlierOnesValid) {
  auto first = SimPlatform::install();
  platform::Clock& firstClock = platform::Platform::current().clock();
  auto second = SimPlatform::install(50.0);
  EXPECT_EQ(&platform::Platform::current(), second.get());
  EXPECT_NE(first->workspace().applicationSupportDirectory(),
            second->workspace().applicationSupportDirectory());
  first.reset();
  EXPECT_DOUBLE_EQ(firstClock.uptimeSeconds(), 0.0);  // still alive
}

// A thread's body runs at the next advance and its timers on the timeline; a pause is a step of
// virtual time that runs nothing that fell due, and the wall clock follows uptime.
TEST(SimPlatform, ThreadsRunOnTheTimelineAndPauseStepsTimeWithoutRunningWork) {
  SimPlatform sim(10.0);
  std::vector<double> firings;
  bool bodyRan = false;
  auto thread = sim.dispatch().startThread("tap", [&](platform::RunLoop& loop) {
    bodyRan = true;
    loop.scheduleRepeating(1.0, [&] { firings.push_back(sim.clock().uptimeSeconds()); });
    loop.run();  // returns at once on the simulated platform
  });
  EXPECT_FALSE(bodyRan);
  sim.timeline().advanceTo(12.5);
  EXPECT_EQ(firings, (std::vector<double>{11.0, 12.0}));

  const double wallBefore = sim.clock().wallClockSeconds();
  bool otherRan = false;
  sim.dispatch().main().asyncAfter(0.01, [&] { otherRan = true; });
  sim.dispatch().pause(0.02);
  EXPECT_FALSE(otherRan);
  EXPECT_DOUBLE_EQ(sim.clock().uptimeSeconds(), 12.52);
  EXPECT_NEAR(sim.clock().wallClockSeconds() - wallBefore, 0.02, 1e-6);
}

}  // namespace
}  // namespace tactora::sim
