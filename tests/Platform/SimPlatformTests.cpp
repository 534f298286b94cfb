#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/sim/SimPlatform.h"

namespace tactora::sim {
namespace {

using platform::AXError;

TEST(SimPlatform, InstallMakesItTheCurrentPlatformAndKeepsEarlierOnesValid) {
  auto first = SimPlatform::install();
  platform::Clock& firstClock = platform::Platform::current().clock();
  auto second = SimPlatform::install(50.0);

  EXPECT_EQ(&platform::Platform::current(), second.get());
  EXPECT_DOUBLE_EQ(platform::Platform::current().clock().uptimeSeconds(), 50.0);
  first.reset();
  EXPECT_DOUBLE_EQ(firstClock.uptimeSeconds(), 0.0);  // still alive
}

TEST(SimPlatform, DefaultHotKeysAreTheUsualSpaceBindingsAndRecordEveryCall) {
  SimPlatform sim;
  auto functions = sim.systemBridges().loadHotKeyFunctions();
  ASSERT_TRUE(functions.getValue && functions.setEnabled && functions.isEnabled);
  EXPECT_NE(functions.connectionID, 0u);

  platform::HotKeyValue left;
  EXPECT_EQ(functions.getValue(functions.connectionID, 79, &left), 0);
  EXPECT_EQ(left, (platform::HotKeyValue{0, 123, 0x1000, true}));
  EXPECT_EQ(sim.systemBridges().hotKey(81), (platform::HotKeyValue{0, 124, 0x1000, true}));

  sim.systemBridges().setHotKey(79, {0, 123, 0x1000, false});
  functions.setEnabled(functions.connectionID, 79, true);
  EXPECT_TRUE(functions.isEnabled(functions.connectionID, 79));

  using Kind = SimSystemBridges::HotKeyCallKind;
  const auto id = functions.connectionID;
  EXPECT_EQ(sim.systemBridges().hotKeyCalls(),
            (std::vector<SimSystemBridges::HotKeyCall>{{Kind::getValue, id, 79, false},
                                                       {Kind::setEnabled, id, 79, true},
                                                       {Kind::isEnabled, id, 79, false}}));
}

TEST(SimPlatform, MissingEntryPointsComeBackEmpty) {
  SimPlatform sim;
  sim.systemBridges().setDockFunctionAvailable(false);
  sim.systemBridges().setHotKeyFunctionsAvailable(false);

  EXPECT_FALSE(sim.systemBridges().loadDockNotificationFunction());
  const auto functions = sim.systemBridges().loadHotKeyFunctions();
  EXPECT_FALSE(functions.getValue || functions.setEnabled || functions.isEnabled);
  EXPECT_EQ(functions.connectionID, 0u);

  sim.systemBridges().setDockFunctionAvailable(true);
  auto dock = sim.systemBridges().loadDockNotificationFunction();
  ASSERT_TRUE(dock);
  dock("com.apple.expose.awake", 0);
  EXPECT_EQ(sim.systemBridges().dockNotifications(),
            (std::vector<std::string>{"com.apple.expose.awake"}));
}

// Walks the focus chain to the close button and presses it, returning the first failure.
AXError pressFocusedCloseButton(platform::Accessibility& ax) {
  std::shared_ptr<platform::AXElement> element = ax.createSystemWide();
  for (const char* attribute : {"AXFocusedApplication", "AXFocusedWindow", "AXCloseButton"}) {
    std::shared_ptr<platform::AXElement> next;
    if (const AXError error = ax.copyElementAttribute(*element, attribute, next);
        error != AXError::success) {
      return error;
    }
    element = next;
  }
  return ax.performAction(*element, "AXPress");
}

TEST(SimPlatform, AccessibilityAnswersUntilAStepFailsOrTheGrantIsMissing) {
  SimPlatform sim;
  auto& ax = sim.accessibility();

  EXPECT_EQ(pressFocusedCloseButton(ax), AXError::success);
  EXPECT_EQ(ax.pressCount(), 1);
  EXPECT_EQ(ax.calls(), (std::vector<std::string>{"AXFocusedApplication", "AXFocusedWindow",
                                                  "AXCloseButton", "AXPress"}));

  ax.clearRecords();
  ax.failStep(SimAccessibility::Step::closeButton);
  EXPECT_EQ(pressFocusedCloseButton(ax), AXError::noValue);
  EXPECT_EQ(ax.calls().size(), 3u);

  ax.clearFailures();
  ax.failStep(SimAccessibility::Step::press, AXError::cannotComplete);
  EXPECT_EQ(pressFocusedCloseButton(ax), AXError::cannotComplete);

  ax.clearFailures();
  sim.permissions().setAccessibilityTrusted(false);
  EXPECT_EQ(pressFocusedCloseButton(ax), AXError::apiDisabled);
  EXPECT_EQ(ax.pressCount(), 0);
}

TEST(SimPlatform, WorkspaceRecordsLaunchesAndValidURLsAndDeliversNotifications) {
  SimPlatform sim;
  auto& workspace = sim.workspace();
  EXPECT_FALSE(workspace.frontmostApplicationBundleIdentifier().has_value());
  workspace.setFrontmostApplication("com.apple.Safari");
  EXPECT_EQ(workspace.frontmostApplicationBundleIdentifier(), "com.apple.Safari");

  EXPECT_TRUE(workspace.launchProcess("/bin/zsh", {"-lc", ""}));
  workspace.setLaunchFails(true);
  EXPECT_FALSE(workspace.launchProcess("/usr/bin/open", {"/Applications/Tactora.app"}));
  EXPECT_EQ(workspace.launchedProcesses(),
            (std::vector<SimWorkspace::LaunchedProcess>{
                {"/bin/zsh", {"-lc", ""}}, {"/usr/bin/open", {"/Applications/Tactora.app"}}}));

  EXPECT_TRUE(workspace.openURL(
      "x-apple.systempreferences:com.apple.preference.security?Privacy_Accessibility"));
  EXPECT_FALSE(workspace.openURL("not a url"));
  EXPECT_FALSE(workspace.openURL(""));
  EXPECT_EQ(workspace.openedURLs().size(), 1u);

  int wakes = 0;
  auto subscription = workspace.subscribeDidWake([&] { ++wakes; });
  workspace.postDidWake();
  subscription.cancel();
  workspace.postDidWake();
  EXPECT_EQ(wakes, 1);
  EXPECT_EQ(workspace.didWakeSubscriberCount(), 0u);
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

TEST(SimPlatform, LoginItemsAndUpdaterPlayTheServiceSide) {
  SimPlatform sim;
  auto& login = sim.loginItems();
  login.setRegisterError("Operation not permitted");
  EXPECT_EQ(login.registerMainApp(), "Operation not permitted");
  EXPECT_EQ(login.mainAppStatus(), platform::LoginItemStatus::notRegistered);
  login.setRegisterError(std::nullopt);
  EXPECT_FALSE(login.registerMainApp().has_value());
  EXPECT_EQ(login.mainAppStatus(), platform::LoginItemStatus::enabled);

  auto& updater = sim.updater();
  long loaded = -1;
  updater.start({[] { return std::optional<std::string>("https://example.com/appcast.xml"); },
                 [&](long items) { loaded = items; },
                 {}});
  EXPECT_TRUE(updater.started());
  EXPECT_EQ(updater.askFeedURL(), "https://example.com/appcast.xml");
  updater.finishLoadingAppcast(3);
  updater.abortWithError({platform::Updater::errorDomain, 1001, "no update"});  // no hook: ignored
  EXPECT_EQ(loaded, 3);
}

}  // namespace
}  // namespace tactora::sim
