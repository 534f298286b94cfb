#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ActionKit/CGSBridge.h"
#include "ActionKit/SimActionFixture.h"
#include "ActionKit/SystemBridgeActions.h"
#include "Platform/EventSource.h"
#include "Platform/Permissions.h"
#include "Platform/linux/platform/LinuxPermissions.h"
#include "Platform/linux/platform/LinuxPlatform.h"
#include "Platform/linux/platform/LinuxSystemBridges.h"
#include "Platform/linux/platform/LinuxWorkspace.h"
#include "Tactora/config/TemporaryDirectory.h"

namespace tactora::lx {
namespace {

using Lines = std::vector<std::string>;

LinuxPlatform::Options bareOptions(const TemporaryDirectory& folder) {
  LinuxPlatform::Options options;
  options.providerPath = TACTORA_MISSING_PROVIDER_PATH;
  options.useX11 = options.createVirtualDevices = false;
  options.configurationDirectory = (folder.path() / "Tactora").string();
  options.session.emplace().useSessionBus = false;
  return options;
}

// A machine with no X server, no uinput and no mouse: every service answers, the missing ones
// as missing.
TEST(LinuxPlatformBare, StartsWithMissingFunctionsAndNoEventSource) {
  TemporaryDirectory folder;
  auto platform = std::make_shared<LinuxPlatform>(bareOptions(folder));
  EXPECT_FALSE(platform->hasDisplay());
  EXPECT_FALSE(platform->tapsInstalled());
  EXPECT_FALSE(platform->events().createEventSource(platform::EventSourceStateID::hidSystemState));
  EXPECT_FALSE(platform->systemBridges().loadDockNotificationFunction());
  const auto hotKeys = platform->systemBridges().loadHotKeyFunctions();
  EXPECT_FALSE(hotKeys.connectionID || hotKeys.getValue || hotKeys.setEnabled);

  // The dispatcher's fallback (a posted shortcut) runs and posts nothing: no crash.
  closeFocusedWindow(*platform);
  switchSpace(*platform, CGSBridge(*platform), true);

  EXPECT_FALSE(platform->workspace().frontmostApplicationBundleIdentifier());
  EXPECT_FALSE(platform->workspace().openURL("not a url"));
  EXPECT_EQ(platform->workspace().applicationSupportDirectory(), folder.path().string());
  EXPECT_TRUE(platform->updater().start({}));
  EXPECT_EQ(platform->loginItems().registerMainApp(), std::nullopt);
  EXPECT_TRUE(std::filesystem::exists(folder.path() / "autostart/com.vellumworks.Tactora.desktop"));
}

TEST(LinuxPlatformBare, PreferencesOutliveThePlatformAndAnUnreadableFileIsLeftAlone) {
  TemporaryDirectory folder;
  {
    LinuxPlatform platform(bareOptions(folder));
    platform.preferences().setString("kept", "one");
    platform.preferences().setString("dropped", "two");
    platform.preferences().removeObject("dropped");
  }
  EXPECT_EQ(LinuxPlatform(bareOptions(folder)).preferences().string("kept"), "one");
  EXPECT_FALSE(LinuxPlatform(bareOptions(folder)).preferences().string("dropped"));
  // Something there that cannot be read (a FIFO would even block a plain open) is never
  // written over.
  const auto file = folder.path() / "Tactora" / "preferences.json";
  std::filesystem::remove(file);
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  LinuxPlatform platform(bareOptions(folder));
  platform.preferences().setString("kept", "two");
  EXPECT_TRUE(std::filesystem::is_fifo(file));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file.parent_path()), {}), 1)
      << "nothing else was written beside it";
}

// The grants as the log names them: the file that could not be opened, why, and what grants it.
TEST(LinuxPermissions, AccessibilityNamesTheUinputNodeThatCannotBeOpened) {
  TemporaryDirectory folder;
  const std::string missing = (folder.path() / "uinput").string();
  LinuxPermissions denied(missing);
  EXPECT_FALSE(denied.isProcessTrusted());
  EXPECT_EQ(denied.accessibilityDenial(),
            missing + ": No such file or directory — the udev rule 69-tactora.rules grants it");

  std::ofstream(missing).put('\n');
  LinuxPermissions granted(missing);
  EXPECT_TRUE(granted.isProcessTrusted());
  EXPECT_EQ(granted.accessibilityDenial(), std::nullopt);
}

// Waking from sleep: reported from the watcher's thread, the handlers run later, on the main
// thread's queue.
TEST(LinuxWorkspace, WakeHandlersRunOnTheMainQueueWhileSubscribed) {
  auto queue = std::make_shared<std::vector<std::function<void()>>>();
  LinuxWorkspace::Parts parts;
  parts.onMainThread = [queue](std::function<void()> work) { queue->push_back(std::move(work)); };
  auto workspace = std::make_unique<LinuxWorkspace>(std::move(parts));

  int kept = 0, cancelled = 0;
  platform::Subscription keep = workspace->subscribeDidWake([&] { ++kept; });
  platform::Subscription cancel = workspace->subscribeDidWake([&] { ++cancelled; });
  workspace->systemDidWake();
  EXPECT_EQ(kept, 0) << "nothing runs on the reporting thread";
  ASSERT_EQ(queue->size(), 1u);
  cancel.cancel();
  (*queue)[0]();
  EXPECT_EQ(kept, 1);
  EXPECT_EQ(cancelled, 0) << "a handler cancelled before the queue ran is not called";

  // Work still queued when the workspace goes does nothing, and late cancellation is harmless.
  workspace->systemDidWake();
  workspace.reset();
  (*queue)[1]();
  keep.cancel();
  EXPECT_EQ(kept, 1);
}

using LinuxSystemBridgesTest = testing::SimActionTest;

// A desktop with a key binding for workspaces gets the user's own shortcut replayed: GNOME's
// Super+Page Down is key 121 with Control (the Super key's place).
TEST_F(LinuxSystemBridgesTest, AWorkspaceBindingIsReplayedAndAnUnboundOneIsNot) {
  std::vector<WorkspaceDirection> asked;
  DesktopFunctions desktop;
  desktop.workspaceBinding = [&asked](WorkspaceDirection direction) -> std::optional<KeyBinding> {
    asked.push_back(direction);
    return direction == WorkspaceDirection::left ? std::nullopt
                                                 : std::optional(KeyBinding{121, 0x1000});
  };
  const auto switchWith = [&](bool right) {
    switchSpace(*sim, CGSBridge(LinuxSystemBridges(desktop).loadHotKeyFunctions()), right);
  };
  switchWith(true);
  EXPECT_EQ(posted(), (Lines{"keyDown 121 flags 0x40000", "keyUp 121 flags 0x40000"}));
  sim->events().clearRecords();
  switchWith(false);
  EXPECT_EQ(posted(), Lines{});
  EXPECT_EQ(asked, (std::vector{WorkspaceDirection::right, WorkspaceDirection::left}));
}

// The Dock function passes the name on and reports whether the desktop took it; a chained
// fallback runs only for what the first desktop did not do.
TEST_F(LinuxSystemBridgesTest, DockNotificationsFallBackPerName) {
  Lines calls;
  const auto taking = [&calls](std::string source, std::string_view taken) {
    DesktopFunctions desktop;
    desktop.dockNotification = [&calls, source, taken](std::string_view name) {
      calls.push_back(source + " " + std::string(name));
      return name == taken;
    };
    desktop.dockNotificationSource = source;
    return desktop;
  };
  DesktopFunctions desktop = taking("shell", dockNotification::missionControl);
  desktop.fillFrom(taking("ewmh", dockNotification::showDesktop));
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
