#include "ActionKit/ActionDispatcher.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimActionFixture.h"

namespace tactora {
namespace {

using Case = Action::Case;
using testing::SimActionTest;
using Lines = std::vector<std::string>;

class ActionDispatcherTest : public SimActionTest {
 protected:
  ActionDispatcher dispatcher;
};

TEST_F(ActionDispatcherTest, FixedShortcutsPressOnlyTheirKeyWithTheCommandFlag) {
  const struct {
    Case kind;
    int keyCode;
  } shortcuts[] = {
      {Case::hideApp, 4},          {Case::minimizeWindow, 46}, {Case::cycleWindows, 50},
      {Case::zoomIn, 24},          {Case::zoomOut, 27},        {Case::navigateBack, 33},
      {Case::navigateForward, 30}, {Case::appSwitcher, 48},
  };
  for (const auto& shortcut : shortcuts) {
    SCOPED_TRACE(std::string(caseName(shortcut.kind)));
    sim->events().clearRecords();
    dispatcher.perform(Action(shortcut.kind));
    const std::string key = std::to_string(shortcut.keyCode);
    // No Command key event: the flag rides on the key's own down and up.
    EXPECT_EQ(posted(),
              (Lines{"keyDown " + key + " flags 0x100000", "keyUp " + key + " flags 0x100000"}));
  }
}

TEST_F(ActionDispatcherTest, ClicksAreOnePressAndOneReleaseCarryingTheClickCount) {
  sim->events().setPointer({12.5, 40});
  const struct {
    Case kind;
    Lines expected;
  } clicks[] = {
      {Case::leftClick,
       {"leftMouseDown (12.5, 40) button 0 click 1 delta (0, 0) marked",
        "leftMouseUp (12.5, 40) button 0 click 1 delta (0, 0) marked"}},
      {Case::rightClick,
       {"rightMouseDown (12.5, 40) button 1 click 1 delta (0, 0) marked",
        "rightMouseUp (12.5, 40) button 1 click 1 delta (0, 0) marked"}},
      {Case::middleClick,
       {"otherMouseDown (12.5, 40) button 2 click 1 delta (0, 0) marked",
        "otherMouseUp (12.5, 40) button 2 click 1 delta (0, 0) marked"}},
      {Case::doubleClick,
       {"leftMouseDown (12.5, 40) button 0 click 2 delta (0, 0) marked",
        "leftMouseUp (12.5, 40) button 0 click 2 delta (0, 0) marked"}},
      {Case::tripleClick,
       {"leftMouseDown (12.5, 40) button 0 click 3 delta (0, 0) marked",
        "leftMouseUp (12.5, 40) button 0 click 3 delta (0, 0) marked"}},
  };
  for (const auto& click : clicks) {
    SCOPED_TRACE(std::string(caseName(click.kind)));
    sim->events().clearRecords();
    dispatcher.perform(Action(click.kind));
    EXPECT_EQ(posted(), click.expected);
  }
}

TEST_F(ActionDispatcherTest, ClickAtOriginWhenThePointerCannotBeRead) {
  sim->events().setPointer({300, 300});
  sim->events().setEventCreationFailure(
      [](platform::EventType type) { return type == platform::EventType::null; });
  dispatcher.perform(Action(Case::leftClick));
  EXPECT_EQ(posted(), (Lines{"leftMouseDown (0, 0) button 0 click 1 delta (0, 0) marked",
                             "leftMouseUp (0, 0) button 0 click 1 delta (0, 0) marked"}));
}

TEST_F(ActionDispatcherTest, KeyShortcutUsesItsKeyCodeAndMaskUnchanged) {
  dispatcher.perform(Action::keyShortcut(4, 0x120000));
  dispatcher.perform(Action::keyShortcut(0, 0));  // key code 0 (A) is a key like any other
  EXPECT_EQ(posted(), (Lines{"keyDown 4 flags 0x120000", "keyUp 4 flags 0x120000",
                             "keyDown 0 flags 0x0", "keyUp 0 flags 0x0"}));
}

TEST_F(ActionDispatcherTest, AnEventThatCannotBeCreatedIsSkippedAndTheOtherStillPosted) {
  sim->events().setEventCreationFailure([](platform::EventType type) {
    return type == platform::EventType::keyDown || type == platform::EventType::leftMouseUp;
  });
  dispatcher.perform(Action(Case::zoomIn));
  dispatcher.perform(Action(Case::doubleClick));
  EXPECT_EQ(posted(), (Lines{"keyUp 24 flags 0x100000",
                             "leftMouseDown (0, 0) button 0 click 2 delta (0, 0) marked"}));
}

TEST_F(ActionDispatcherTest, WithoutAnEventSourceNoActionPostsAnything) {
  sim->events().setEventSourceAvailable(false);
  for (const Case kind : allActionCases) {
    dispatcher.perform(kind == Case::keyShortcut ? Action::keyShortcut(4, 0x100000) : Action(kind));
  }
  sim->timeline().advanceBy(10);
  EXPECT_EQ(posted(), Lines{});
  // The actions that do not synthesize events still happen.
  EXPECT_EQ(sim->systemBridges().dockNotifications().size(), 3u);
  EXPECT_EQ(sim->accessibility().pressCount(), 1);
}

TEST_F(ActionDispatcherTest, NonePostsNothing) {
  dispatcher.perform(Action());
  sim->timeline().advanceBy(10);
  EXPECT_EQ(posted(), Lines{});
  EXPECT_TRUE(sim->systemBridges().dockNotifications().empty());
  EXPECT_TRUE(sim->workspace().launchedProcesses().empty());
}

TEST_F(ActionDispatcherTest, DockActionsSendTheirNotificationsAndNothingWhenTheDockIsMissing) {
  dispatcher.perform(Action(Case::missionControl));
  dispatcher.perform(Action(Case::appExpose));
  dispatcher.perform(Action(Case::showDesktop));
  EXPECT_EQ(sim->systemBridges().dockNotifications(),
            (Lines{"com.apple.expose.awake", "com.apple.expose.front.awake",
                   "com.apple.showdesktop.awake"}));

  auto withoutDock = sim::SimPlatform::install();
  withoutDock->systemBridges().setDockFunctionAvailable(false);
  ActionDispatcher(*withoutDock, AppSwitcher::shared(), CGSBridge::shared(*withoutDock))
      .perform(Action(Case::missionControl));
  EXPECT_TRUE(withoutDock->systemBridges().dockNotifications().empty());
  EXPECT_TRUE(withoutDock->events().posted().empty());
}

TEST_F(ActionDispatcherTest, ShellCommandLaunchesTheLoginShellWithTheTextAsOneArgument) {
  dispatcher.perform(Action::shellCommand("exit 3; echo \"never\""));
  dispatcher.perform(Action::shellCommand(""));
  sim->workspace().setLaunchFails(true);
  dispatcher.perform(Action::shellCommand("open -a Calculator"));  // failure is absorbed

  const auto launched = sim->workspace().launchedProcesses();
  ASSERT_EQ(launched.size(), 3u);
  EXPECT_FALSE(launched[0].executable.empty());
  EXPECT_EQ(launched[0].arguments, (Lines{"-lc", "exit 3; echo \"never\""}));
  EXPECT_EQ(launched[1].arguments, (Lines{"-lc", ""}));
  EXPECT_EQ(launched[2].arguments, (Lines{"-lc", "open -a Calculator"}));
  // Nothing is waited for: no virtual time passed.
  EXPECT_EQ(sim->timeline().now(), 0.0);
}

TEST_F(ActionDispatcherTest, AppSwitcherStepsShareOneHeldCommand) {
  dispatcher.perform(Action(Case::appSwitcherNext));
  sim->timeline().advanceBy(0.1);
  dispatcher.perform(Action(Case::appSwitcherNext));
  sim->timeline().advanceBy(0.1);
  dispatcher.perform(Action(Case::appSwitcherPrevious));
  sim->timeline().advanceBy(1);
  EXPECT_EQ(postedWithTimes(),
            (Lines{"0.000 flagsChanged 55 flags 0x100000", "0.000 keyDown 48 flags 0x100000",
                   "0.000 keyUp 48 flags 0x100000", "0.100 keyDown 48 flags 0x100000",
                   "0.100 keyUp 48 flags 0x100000", "0.200 keyDown 48 flags 0x120000",
                   "0.200 keyUp 48 flags 0x120000", "0.800 flagsChanged 55 flags 0x0"}));
}

}  // namespace
}  // namespace tactora
