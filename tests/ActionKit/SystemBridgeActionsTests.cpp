#include "ActionKit/SystemBridgeActions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "SimActionFixture.h"

namespace tactora {
namespace {

using platform::HotKeyValue;
using sim::SimAccessibility;
using Lines = std::vector<std::string>;

constexpr std::uint32_t moveLeft = 79;
constexpr std::uint32_t moveRight = 81;

class SystemBridgeActionsTest : public testing::SimActionTest {};

TEST_F(SystemBridgeActionsTest, SpaceSwitchReplaysTheBindingWithItsModifiersAnd20MsBetween) {
  sim->timeline().advanceTo(1);
  switchSpace(true);  // Control-Right Arrow
  EXPECT_EQ(posted(true),
            (Lines{"1.000 keyDown 124 flags 0x40000", "1.020 keyUp 124 flags 0x40000"}));

  const std::pair<std::uint32_t, std::string> cases[] = {
      {0x100, "0x100000"}, {0x200, "0x20000"},   {0x800, "0x80000"}, {0x1000, "0x40000"},
      {0x300, "0x120000"}, {0x1900, "0x1c0000"}, {0x80ff, "0x0"},    {0x1f00, "0x1e0000"},
  };
  for (const auto& [modifiers, flags] : cases) {
    SCOPED_TRACE(modifiers);
    sim->events().clearRecords();
    sim->systemBridges().setHotKey(moveLeft, HotKeyValue{0, 123, modifiers, true});
    switchSpace(false);
    EXPECT_EQ(posted(), (Lines{"keyDown 123 flags " + flags, "keyUp 123 flags " + flags}));
  }
}

TEST_F(SystemBridgeActionsTest, ADisabledHotKeyIsEnabledAndReplayedOnlyWhenItHasAKey) {
  sim->systemBridges().setHotKey(moveLeft, HotKeyValue{0, 123, 0x1000, false});
  switchSpace(false);
  EXPECT_TRUE(sim->systemBridges().hotKey(moveLeft).enabled);
  EXPECT_EQ(posted().size(), 2u);

  sim->events().clearRecords();
  sim->systemBridges().setHotKey(moveRight, HotKeyValue{0, 0, 0x1000, false});  // no key
  switchSpace(true);
  EXPECT_TRUE(sim->systemBridges().hotKey(moveRight).enabled);
  // A code beyond 16 bits is not truncated into some other key.
  sim->systemBridges().setHotKey(moveRight, HotKeyValue{0, 0x10000 + 124, 0x1000, true});
  switchSpace(true);
  EXPECT_EQ(posted(), Lines{});
  EXPECT_EQ(sim->dispatch().pauses().size(), 1u);

  // Both hot-key functions and an event source are needed.
  platform::HotKeyFunctions functions = sim->systemBridges().loadHotKeyFunctions();
  functions.setEnabled = nullptr;
  sim->systemBridges().clearRecords();
  switchSpace(*sim, CGSBridge(functions), true);
  EXPECT_TRUE(sim->systemBridges().hotKeyCalls().empty());
  auto noHotKeys = sim::SimPlatform::install();
  noHotKeys->systemBridges().setHotKeyFunctionsAvailable(false);
  switchSpace(true);
  EXPECT_TRUE(noHotKeys->events().posted().empty());
  auto noSource = sim::SimPlatform::install();
  noSource->events().setEventSourceAvailable(false);
  switchSpace(true);
  EXPECT_TRUE(noSource->events().posted().empty());
  EXPECT_TRUE(noSource->dispatch().pauses().empty());
}

TEST_F(SystemBridgeActionsTest, ClosingFallsBackToCommandWOnceWhenAnyAccessibilityStepFails) {
  for (const auto step :
       {SimAccessibility::Step::focusedApplication, SimAccessibility::Step::focusedWindow,
        SimAccessibility::Step::closeButton, SimAccessibility::Step::press}) {
    SCOPED_TRACE(static_cast<int>(step));
    sim->events().clearRecords();
    sim->accessibility().clearFailures();
    sim->accessibility().failStep(step, platform::AXError::cannotComplete);
    closeFocusedWindow();
    EXPECT_EQ(posted(), (Lines{"keyDown 13 flags 0x100000", "keyUp 13 flags 0x100000"}));
  }
  EXPECT_EQ(sim->accessibility().pressCount(), 0);

  sim->events().clearRecords();
  sim->accessibility().clearFailures();
  sim->permissions().setAccessibilityTrusted(false);
  closeFocusedWindow();
  EXPECT_EQ(posted().size(), 2u);
}

}  // namespace
}  // namespace tactora
