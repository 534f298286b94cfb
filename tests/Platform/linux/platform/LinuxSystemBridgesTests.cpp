#include "Platform/linux/platform/LinuxSystemBridges.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ActionKit/CGSBridge.h"
#include "ActionKit/SimActionFixture.h"
#include "ActionKit/SystemBridgeActions.h"

namespace tactora::lx {
namespace {

using Lines = std::vector<std::string>;

class LinuxSystemBridgesTest : public testing::SimActionTest {
 protected:
  void switchWith(const DesktopFunctions& desktop, bool right) {
    LinuxSystemBridges bridges(desktop);
    switchSpace(*sim, CGSBridge(bridges.loadHotKeyFunctions()), right);
  }
};

// A desktop with a key binding for workspaces gets the user's own shortcut replayed: GNOME's
// Super+Page Down is key 121 with Control (the Super key's place).
TEST_F(LinuxSystemBridgesTest, AWorkspaceBindingIsReplayedAndAnUnboundOneIsNot) {
  std::vector<WorkspaceDirection> asked;
  DesktopFunctions desktop;
  desktop.workspaceBinding = [&asked](WorkspaceDirection direction) -> std::optional<KeyBinding> {
    asked.push_back(direction);
    if (direction == WorkspaceDirection::left) {
      return std::nullopt;
    }
    return KeyBinding{.keyCode = 121, .modifiers = 0x1000};
  };
  switchWith(desktop, true);
  EXPECT_EQ(posted(), (Lines{"keyDown 121 flags 0x40000", "keyUp 121 flags 0x40000"}));
  sim->events().clearRecords();
  switchWith(desktop, false);
  EXPECT_EQ(posted(), Lines{});
  EXPECT_EQ(asked, (std::vector{WorkspaceDirection::right, WorkspaceDirection::left}));
}

// The Dock function passes the name on and reports whether the desktop took it; a chained
// fallback runs only for what the first desktop did not do.
TEST_F(LinuxSystemBridgesTest, DockNotificationsFallBackPerName) {
  std::vector<std::string> calls;
  DesktopFunctions desktop;
  desktop.dockNotification = [&calls](std::string_view name) {
    calls.push_back("shell " + std::string(name));
    return name == dockNotification::missionControl;
  };
  desktop.dockNotificationSource = "shell";
  DesktopFunctions fallback;
  fallback.dockNotification = [&calls](std::string_view name) {
    calls.push_back("ewmh " + std::string(name));
    return name == dockNotification::showDesktop;
  };
  fallback.dockNotificationSource = "ewmh";
  desktop.fillFrom(fallback);
  EXPECT_EQ(desktop.dockNotificationSource, "shell, then ewmh");

  const auto send = LinuxSystemBridges(desktop).loadDockNotificationFunction();
  ASSERT_TRUE(send);
  EXPECT_EQ(send(dockNotification::missionControl, 0), 0);
  EXPECT_EQ(send(dockNotification::showDesktop, 0), 0);
  EXPECT_EQ(send("com.apple.launchpad.toggle", 0), -1);
  EXPECT_EQ(calls, (Lines{"shell com.apple.expose.awake", "shell com.apple.showdesktop.awake",
                          "ewmh com.apple.showdesktop.awake", "shell com.apple.launchpad.toggle",
                          "ewmh com.apple.launchpad.toggle"}));
}

}  // namespace
}  // namespace tactora::lx
