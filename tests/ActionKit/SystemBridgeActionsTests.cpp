#include "ActionKit/SystemBridgeActions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ActionKit/ActionDispatcher.h"
#include "SimActionFixture.h"

namespace tactora {
namespace {

using platform::HotKeyValue;
using sim::SimAccessibility;
using sim::SimSystemBridges;
using testing::SimActionTest;
using Lines = std::vector<std::string>;

constexpr std::uint32_t moveLeft = 79;
constexpr std::uint32_t moveRight = 81;

class SpaceSwitchingTest : public SimActionTest {
 protected:
  ActionDispatcher dispatcher;
};

TEST_F(SpaceSwitchingTest, ReplaysTheUsersBindingWithAPauseBetweenDownAndUp) {
  sim->timeline().advanceTo(1);
  dispatcher.perform(Action(Action::Case::spaceRight));  // Control-Right Arrow by default
  EXPECT_EQ(postedWithTimes(),
            (Lines{"1.000 keyDown 124 flags 0x40000", "1.020 keyUp 124 flags 0x40000"}));
  EXPECT_EQ(sim->dispatch().pauses(), (std::vector<double>{0.020}));
  EXPECT_EQ(sim->systemBridges().hotKeyCalls(),
            (std::vector<SimSystemBridges::HotKeyCall>{{SimSystemBridges::HotKeyCallKind::getValue,
                                                        SimSystemBridges::mainConnectionID,
                                                        moveRight, false}}));
}

TEST_F(SpaceSwitchingTest, ModifierBitsBecomeEventFlagsAndOtherBitsAreIgnored) {
  const struct {
    std::uint32_t modifiers;
    const char* flags;
  } cases[] = {
      {0x100, "0x100000"}, {0x200, "0x20000"},  {0x800, "0x80000"},
      {0x1000, "0x40000"}, {0x300, "0x120000"}, {0x1900, "0x1c0000"},
      {0x0, "0x0"},        {0x80ff, "0x0"},     {0x1b00 | 0x400, "0x1e0000"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.modifiers);
    sim->events().clearRecords();
    sim->systemBridges().setHotKey(moveLeft, HotKeyValue{0, 123, c.modifiers, true});
    dispatcher.perform(Action(Action::Case::spaceLeft));
    EXPECT_EQ(posted(), (Lines{std::string("keyDown 123 flags ") + c.flags,
                               std::string("keyUp 123 flags ") + c.flags}));
  }
}

TEST_F(SpaceSwitchingTest, ADisabledHotKeyIsEnabledAndReplayedInTheSameCall) {
  sim->systemBridges().setHotKey(moveLeft, HotKeyValue{0, 123, 0x1000, false});
  dispatcher.perform(Action(Action::Case::spaceLeft));
  EXPECT_EQ(posted(), (Lines{"keyDown 123 flags 0x40000", "keyUp 123 flags 0x40000"}));
  EXPECT_TRUE(sim->systemBridges().hotKey(moveLeft).enabled);
  const auto calls = sim->systemBridges().hotKeyCalls();
  ASSERT_EQ(calls.size(), 2u);
  EXPECT_EQ(calls[1],
            (SimSystemBridges::HotKeyCall{SimSystemBridges::HotKeyCallKind::setEnabled,
                                          SimSystemBridges::mainConnectionID, moveLeft, true}));
}

TEST_F(SpaceSwitchingTest, NothingIsPressedWithoutABindingOrAUsableKeyCode) {
  sim->systemBridges().setHotKey(moveLeft, HotKeyValue{0, 0, 0x1000, false});
  dispatcher.perform(Action(Action::Case::spaceLeft));
  // Still enabled, although there is nothing to replay.
  EXPECT_TRUE(sim->systemBridges().hotKey(moveLeft).enabled);

  // A code that does not fit a key code is not truncated into some other key.
  sim->systemBridges().setHotKey(moveRight, HotKeyValue{0, 0x10000 + 124, 0x1000, true});
  dispatcher.perform(Action(Action::Case::spaceRight));
  EXPECT_EQ(posted(), Lines{});
  EXPECT_TRUE(sim->dispatch().pauses().empty());
}

TEST_F(SpaceSwitchingTest, MissingHotKeyFunctionsOrSourceDoNothing) {
  auto noHotKeys = sim::SimPlatform::install();
  noHotKeys->systemBridges().setHotKeyFunctionsAvailable(false);
  switchSpace(true);
  EXPECT_TRUE(noHotKeys->events().posted().empty());
  EXPECT_TRUE(noHotKeys->systemBridges().hotKeyCalls().empty());

  auto noSource = sim::SimPlatform::install();
  noSource->events().setEventSourceAvailable(false);
  switchSpace(true);
  EXPECT_TRUE(noSource->events().posted().empty());
  EXPECT_TRUE(noSource->dispatch().pauses().empty());
}

TEST_F(SpaceSwitchingTest, OnlyTheMissingFunctionMatters) {
  // A bridge with the read but not the enable function does nothing; with both but no
  // connection it still asks (connection 0).
  platform::HotKeyFunctions functions = sim->systemBridges().loadHotKeyFunctions();
  functions.setEnabled = nullptr;
  switchSpace(*sim, CGSBridge(functions), true);
  EXPECT_TRUE(sim->systemBridges().hotKeyCalls().empty());

  functions = sim->systemBridges().loadHotKeyFunctions();
  functions.connectionID = 0;
  switchSpace(*sim, CGSBridge(functions), true);
  EXPECT_EQ(sim->systemBridges().hotKeyCalls().at(0).connection, 0u);
  EXPECT_EQ(posted().size(), 2u);
}

class CloseFocusedWindowTest : public SimActionTest {};

TEST_F(CloseFocusedWindowTest, PressesTheCloseButtonWhenEveryStepSucceeds) {
  closeFocusedWindow();
  EXPECT_EQ(sim->accessibility().pressCount(), 1);
  EXPECT_EQ(sim->accessibility().calls(),
            (Lines{"AXFocusedApplication", "AXFocusedWindow", "AXCloseButton", "AXPress"}));
  EXPECT_EQ(posted(), Lines{});
}

TEST_F(CloseFocusedWindowTest, AnyFailingStepFallsBackToCommandWOnce) {
  const SimAccessibility::Step steps[] = {
      SimAccessibility::Step::focusedApplication, SimAccessibility::Step::focusedWindow,
      SimAccessibility::Step::closeButton, SimAccessibility::Step::press};
  for (const auto step : steps) {
    SCOPED_TRACE(static_cast<int>(step));
    sim->events().clearRecords();
    sim->accessibility().clearFailures();
    sim->accessibility().clearRecords();
    sim->accessibility().failStep(step, platform::AXError::cannotComplete);
    closeFocusedWindow();
    EXPECT_EQ(posted(), (Lines{"keyDown 13 flags 0x100000", "keyUp 13 flags 0x100000"}));
    EXPECT_EQ(sim->accessibility().pressCount(), 0);
  }
}

TEST_F(CloseFocusedWindowTest, WithoutAccessibilityPermissionCommandWIsWhatHappens) {
  sim->permissions().setAccessibilityTrusted(false);
  ActionDispatcher().perform(Action(Action::Case::closeFocusedWindow));
  EXPECT_EQ(posted(), (Lines{"keyDown 13 flags 0x100000", "keyUp 13 flags 0x100000"}));
}

}  // namespace
}  // namespace tactora
