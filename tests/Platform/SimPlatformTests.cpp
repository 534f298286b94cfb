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
  // Each has its own data folders.
  EXPECT_NE(first->workspace().applicationSupportDirectory(),
            second->workspace().applicationSupportDirectory());
  EXPECT_NE(first->loginItems().agentDirectory(), second->loginItems().agentDirectory());
  first.reset();
  EXPECT_DOUBLE_EQ(firstClock.uptimeSeconds(), 0.0);  // still alive
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

using platform::AXError;

// What the desktop is asked to do reaches the observers in order, with records off nothing is
// kept, and an observer may read the sim back (it runs outside the sim's locks).
TEST(SimObservers, SeeEveryDesktopCallInOrderWithoutKeepingRecords) {
  SimPlatform sim;
  std::vector<std::string> seen;
  sim.systemBridges().setKeepsRecords(false);
  sim.accessibility().setKeepsRecords(false);
  sim.workspace().setKeepsRecords(false);
  sim.systemBridges().setDockNotificationObserver([&](const std::string& name) {
    seen.push_back("dock " + name + " kept " +
                   std::to_string(sim.systemBridges().dockNotifications().size()));
  });
  sim.systemBridges().setHotKeyObserver([&](const SimSystemBridges::HotKeyCall& call,
                                            const std::optional<platform::HotKeyValue>& binding) {
    seen.push_back("hot key " + std::to_string(call.hotKey) + " " +
                   (binding ? std::to_string(binding->keyCode) : "none"));
  });
  sim.accessibility().setPerformedObserver([&](const SimAccessibility::PerformedAction& action) {
    seen.push_back(action.action + " " + action.element + " " +
                   std::to_string(static_cast<int>(action.result)));
  });
  sim.workspace().setOpenedURLObserver([&](const std::string& url) { seen.push_back(url); });
  sim.workspace().setLaunchObserver([&](const SimWorkspace::LaunchedProcess& process) {
    seen.push_back(process.executable + " " + process.arguments.at(0));
  });

  sim.systemBridges().loadDockNotificationFunction()("com.apple.expose.awake", 0);
  auto hotKeys = sim.systemBridges().loadHotKeyFunctions();
  platform::HotKeyValue value;
  hotKeys.getValue(hotKeys.connectionID, 79, &value);
  hotKeys.getValue(hotKeys.connectionID, 7, &value);
  hotKeys.setEnabled(hotKeys.connectionID, 81, false);

  auto& ax = sim.accessibility();
  std::shared_ptr<platform::AXElement> app, window, button;
  ax.copyElementAttribute(*ax.createSystemWide(), "AXFocusedApplication", app);
  ax.copyElementAttribute(*app, "AXFocusedWindow", window);
  ax.copyElementAttribute(*window, "AXCloseButton", button);
  ax.performAction(*button, "AXPress");
  ax.failStep(SimAccessibility::Step::press, AXError::cannotComplete);
  ax.performAction(*button, "AXPress");

  EXPECT_FALSE(sim.workspace().openURL("not a url"));
  sim.workspace().openURL("x-apple.systempreferences:com.apple.preference.security");
  sim.workspace().launchProcess("/bin/zsh", {"-lc"});

  EXPECT_EQ(seen, (std::vector<std::string>{
                      "dock com.apple.expose.awake kept 0", "hot key 79 123", "hot key 7 none",
                      "hot key 81 124", "AXPress AXCloseButton 0", "AXPress AXCloseButton -25204",
                      "x-apple.systempreferences:com.apple.preference.security", "/bin/zsh -lc"}));
  EXPECT_TRUE(sim.systemBridges().hotKeyCalls().empty());
  EXPECT_TRUE(ax.calls().empty());
  EXPECT_EQ(ax.pressCount(), 1);
  EXPECT_TRUE(sim.workspace().openedURLs().empty());
  EXPECT_TRUE(sim.workspace().launchedProcesses().empty());
}

}  // namespace
}  // namespace tactora::sim
