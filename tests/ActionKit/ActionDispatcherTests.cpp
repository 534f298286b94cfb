#include "ActionKit/ActionDispatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimActionFixture.h"

namespace tactora {
namespace {

using Case = Action::Case;
using Lines = std::vector<std::string>;

class ActionDispatcherTest : public testing::SimActionTest {
 protected:
  ActionDispatcher dispatcher;
};

TEST_F(ActionDispatcherTest, FixedShortcutsPressOnlyTheirKeyWithTheCommandFlag) {
  const std::pair<Case, int> shortcuts[] = {
      {Case::hideApp, 4},          {Case::minimizeWindow, 46}, {Case::cycleWindows, 50},
      {Case::zoomIn, 24},          {Case::zoomOut, 27},        {Case::navigateBack, 33},
      {Case::navigateForward, 30}, {Case::appSwitcher, 48},
  };
  for (const auto& [kind, keyCode] : shortcuts) {
    SCOPED_TRACE(std::string(caseName(kind)));
    sim->events().clearRecords();
    dispatcher.perform(Action(kind));
    const std::string key = std::to_string(keyCode);
    EXPECT_EQ(posted(),
              (Lines{"keyDown " + key + " flags 0x100000", "keyUp " + key + " flags 0x100000"}));
  }
  sim->events().clearRecords();
  dispatcher.perform(Action::keyShortcut(4, 0x120000));
  dispatcher.perform(Action::keyShortcut(0, 0));  // key code 0 is a key like any other
  EXPECT_EQ(posted(), (Lines{"keyDown 4 flags 0x120000", "keyUp 4 flags 0x120000",
                             "keyDown 0 flags 0x0", "keyUp 0 flags 0x0"}));
}

TEST_F(ActionDispatcherTest, ClicksAreOnePressAndOneReleaseCarryingTheClickCount) {
  sim->events().setPointer({12.5, 40});
  const std::pair<Case, Lines> clicks[] = {
      {Case::rightClick,
       {"rightMouseDown (12.5, 40) button 1 click 1 delta (0, 0) marked",
        "rightMouseUp (12.5, 40) button 1 click 1 delta (0, 0) marked"}},
      {Case::middleClick,
       {"otherMouseDown (12.5, 40) button 2 click 1 delta (0, 0) marked",
        "otherMouseUp (12.5, 40) button 2 click 1 delta (0, 0) marked"}},
      {Case::tripleClick,
       {"leftMouseDown (12.5, 40) button 0 click 3 delta (0, 0) marked",
        "leftMouseUp (12.5, 40) button 0 click 3 delta (0, 0) marked"}},
  };
  for (const auto& [kind, expected] : clicks) {
    SCOPED_TRACE(std::string(caseName(kind)));
    sim->events().clearRecords();
    dispatcher.perform(Action(kind));
    EXPECT_EQ(posted(), expected);
  }
}

TEST_F(ActionDispatcherTest, EventsThatCannotBeCreatedAreSkippedOneByOne) {
  sim->events().setPointer({300, 300});
  sim->events().setEventCreationFailure([](platform::EventType type) {
    using T = platform::EventType;
    return type == T::null || type == T::keyDown || type == T::leftMouseUp;
  });
  dispatcher.perform(Action(Case::zoomIn));
  dispatcher.perform(Action(Case::doubleClick));  // the pointer cannot be read: (0, 0)
  EXPECT_EQ(posted(), (Lines{"keyUp 24 flags 0x100000",
                             "leftMouseDown (0, 0) button 0 click 2 delta (0, 0) marked"}));
}

TEST_F(ActionDispatcherTest, WithoutAnEventSourceOnlyTheNonEventActionsHappen) {
  sim->events().setEventSourceAvailable(false);
  for (const Case kind : allActionCases) {
    dispatcher.perform(kind == Case::keyShortcut ? Action::keyShortcut(4, 0) : Action(kind));
  }
  sim->timeline().advanceBy(10);
  EXPECT_EQ(posted(), Lines{});
  EXPECT_EQ(sim->systemBridges().dockNotifications(),
            (Lines{"com.apple.expose.awake", "com.apple.expose.front.awake",
                   "com.apple.showdesktop.awake"}));
  EXPECT_EQ(sim->accessibility().pressCount(), 1);
}

TEST_F(ActionDispatcherTest, AMissingDockEntryPointDoesNothing) {
  sim->systemBridges().setDockFunctionAvailable(false);
  dispatcher.perform(Action(Case::missionControl));
  EXPECT_TRUE(sim->systemBridges().dockNotifications().empty());
  EXPECT_EQ(posted(), Lines{});
}

TEST_F(ActionDispatcherTest, ShellCommandLaunchesTheLoginShellWithTheTextAsOneArgument) {
  sim->workspace().setLoginShell("/usr/bin/fish");
  dispatcher.perform(Action::shellCommand("exit 3; echo \"never\""));
  sim->workspace().setLaunchFails(true);
  dispatcher.perform(Action::shellCommand(""));  // the failure is absorbed

  using Launch = sim::SimWorkspace::LaunchedProcess;
  EXPECT_EQ(sim->workspace().launchedProcesses(),
            (std::vector<Launch>{{"/usr/bin/fish", {"-lc", "exit 3; echo \"never\""}},
                                 {"/usr/bin/fish", {"-lc", ""}}}));
  EXPECT_EQ(sim->timeline().now(), 0.0);  // nothing waited for
}

TEST_F(ActionDispatcherTest, AppSwitcherStepsShareOneHeldCommand) {
  dispatcher.perform(Action(Case::appSwitcherNext));
  sim->timeline().advanceBy(0.1);
  dispatcher.perform(Action(Case::appSwitcherPrevious));
  sim->timeline().advanceBy(1);
  EXPECT_EQ(posted(true),
            (Lines{"0.000 flagsChanged 55 flags 0x100000", "0.000 keyDown 48 flags 0x100000",
                   "0.000 keyUp 48 flags 0x100000", "0.100 keyDown 48 flags 0x120000",
                   "0.100 keyUp 48 flags 0x120000", "0.700 flagsChanged 55 flags 0x0"}));
}

}  // namespace
}  // namespace tactora
