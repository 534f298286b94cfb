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

  // What the actions did since the last call: posted events, then Dock notifications, close
  // buttons pressed and processes launched.
  Lines effects() {
    Lines lines = posted();
    for (const auto& name : sim->systemBridges().dockNotifications()) {
      lines.push_back("dock " + name);
    }
    for (int i = 0; i < sim->accessibility().pressCount(); ++i) {
      lines.push_back("close button pressed");
    }
    for (const auto& launch : sim->workspace().launchedProcesses()) {
      std::string line = "launch " + launch.executable;
      for (const auto& argument : launch.arguments) {
        line += " [" + argument + "]";
      }
      lines.push_back(line);
    }
    sim->events().clearRecords();
    sim->systemBridges().clearRecords();
    sim->accessibility().clearRecords();
    sim->workspace().clearRecords();
    return lines;
  }
};

Lines operator+(Lines first, const Lines& second) {
  first.insert(first.end(), second.begin(), second.end());
  return first;
}
Lines keys(int keyCode, const std::string& flags) {
  const std::string key = std::to_string(keyCode);
  return {"keyDown " + key + " flags " + flags, "keyUp " + key + " flags " + flags};
}
Lines clicks(const std::string& down, const std::string& up, int button, int count) {
  const std::string rest = " (12.5, 40) button " + std::to_string(button) + " click " +
                           std::to_string(count) + " delta (0, 0) marked";
  return {down + rest, up + rest};
}

TEST_F(ActionDispatcherTest, EveryActionHasExactlyItsEffect) {
  sim->events().setPointer({12.5, 40});
  sim->workspace().setLoginShell("/usr/bin/fish");
  const Lines commandHeld{"flagsChanged 55 flags 0x100000"};
  const Lines commandLetGo{"flagsChanged 55 flags 0x0"};
  const std::pair<Action, Lines> table[] = {
      {Action(Case::none), {}},
      {Action(Case::leftClick), clicks("leftMouseDown", "leftMouseUp", 0, 1)},
      {Action(Case::rightClick), clicks("rightMouseDown", "rightMouseUp", 1, 1)},
      {Action(Case::middleClick), clicks("otherMouseDown", "otherMouseUp", 2, 1)},
      {Action(Case::doubleClick), clicks("leftMouseDown", "leftMouseUp", 0, 2)},
      {Action(Case::tripleClick), clicks("leftMouseDown", "leftMouseUp", 0, 3)},
      {Action(Case::missionControl), {"dock com.apple.expose.awake"}},
      {Action(Case::appExpose), {"dock com.apple.expose.front.awake"}},
      {Action(Case::showDesktop), {"dock com.apple.showdesktop.awake"}},
      // The sim's bindings: Control-Left and Control-Right.
      {Action(Case::spaceLeft), keys(123, "0x40000")},
      {Action(Case::spaceRight), keys(124, "0x40000")},
      {Action(Case::closeFocusedWindow), {"close button pressed"}},
      {Action(Case::hideApp), keys(4, "0x100000")},
      {Action(Case::minimizeWindow), keys(46, "0x100000")},
      {Action(Case::cycleWindows), keys(50, "0x100000")},
      {Action(Case::zoomIn), keys(24, "0x100000")},
      {Action(Case::zoomOut), keys(27, "0x100000")},
      {Action(Case::navigateBack), keys(33, "0x100000")},
      {Action(Case::navigateForward), keys(30, "0x100000")},
      // Tab with the Command flag only: no Command key event.
      {Action(Case::appSwitcher), keys(48, "0x100000")},
      // Released by the test right after the step.
      {Action(Case::appSwitcherNext), commandHeld + keys(48, "0x100000") + commandLetGo},
      {Action(Case::appSwitcherPrevious), commandHeld + keys(48, "0x120000") + commandLetGo},
      {Action::keyShortcut(4, 0x120000), keys(4, "0x120000")},
      {Action::keyShortcut(0, 0), keys(0, "0x0")},  // key code 0 is a key like any other
      {Action::shellCommand("exit 3; echo \"x\""),
       {"launch /usr/bin/fish [-lc] [exit 3; echo \"x\"]"}},
      {Action::shellCommand(""), {"launch /usr/bin/fish [-lc] []"}},
  };
  for (const auto& [action, expected] : table) {
    SCOPED_TRACE(action.description());
    dispatcher.perform(action);
    AppSwitcher::shared().release();
    EXPECT_EQ(effects(), expected);
  }
  EXPECT_DOUBLE_EQ(sim->timeline().now(), 0.040) << "only the two space switches paused";
}

TEST_F(ActionDispatcherTest, FailuresOnlyLoseWhatFailed) {
  // Events that cannot be created are skipped one by one; an unreadable pointer reads (0, 0).
  sim->events().setEventCreationFailure([](platform::EventType type) {
    using T = platform::EventType;
    return type == T::null || type == T::keyDown || type == T::leftMouseUp;
  });
  dispatcher.perform(Action(Case::zoomIn));
  dispatcher.perform(Action(Case::doubleClick));
  EXPECT_EQ(effects(), (Lines{"keyUp 24 flags 0x100000",
                              "leftMouseDown (0, 0) button 0 click 2 delta (0, 0) marked"}));

  sim->systemBridges().setDockFunctionAvailable(false);
  sim->workspace().setLaunchFails(true);
  dispatcher.perform(Action(Case::missionControl));
  dispatcher.perform(Action::shellCommand("true"));
  EXPECT_EQ(effects(), (Lines{"launch /bin/zsh [-lc] [true]"})) << "a failed launch is absorbed";

  // Without an event source only the actions that post no events still work.
  auto noSource = sim::SimPlatform::install();
  noSource->events().setEventSourceAvailable(false);
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

}  // namespace
}  // namespace tactora
