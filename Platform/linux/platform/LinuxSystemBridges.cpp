#include "Platform/linux/platform/LinuxSystemBridges.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "Platform/HotKeyValue.h"

namespace tactora::lx {

namespace {

constexpr std::int32_t done = 0;
constexpr std::int32_t notDone = -1;
// Any non-zero id: the hot-key functions only need to tell "connected" from "not".
constexpr std::uint32_t desktopConnection = 1;

bool isSpaceHotKey(std::uint32_t hotKey) {
  return hotKey == platform::symbolicHotKey::moveLeftASpace ||
         hotKey == platform::symbolicHotKey::moveRightASpace;
}

}  // namespace

LinuxSystemBridges::LinuxSystemBridges(DesktopFunctions desktop) : desktop_(std::move(desktop)) {}

platform::DockNotificationFunction LinuxSystemBridges::loadDockNotificationFunction() {
  if (!desktop_.dockNotification) {
    return {};
  }
  return [notify = desktop_.dockNotification](std::string_view name, int) {
    return notify(name) ? done : notDone;
  };
}

platform::HotKeyFunctions LinuxSystemBridges::loadHotKeyFunctions() {
  platform::HotKeyFunctions functions;
  if (!desktop_.workspaceBinding && !desktop_.switchWorkspace) {
    return functions;
  }
  functions.connectionID = desktopConnection;
  functions.getValue = [binding = desktop_.workspaceBinding,
                        switchWorkspace = desktop_.switchWorkspace](
                           std::uint32_t, std::uint32_t hotKey, platform::HotKeyValue* value) {
    if (value != nullptr) {
      *value = {};
    }
    if (!isSpaceHotKey(hotKey)) {
      return notDone;
    }
    const WorkspaceDirection direction = hotKey == platform::symbolicHotKey::moveRightASpace
                                             ? WorkspaceDirection::right
                                             : WorkspaceDirection::left;
    platform::HotKeyValue result{.character = 0, .keyCode = 0, .modifiers = 0, .enabled = true};
    if (binding) {
      // The user's own shortcut, replayed by the caller; unbound: nothing to replay.
      if (const auto keys = binding(direction)) {
        result.keyCode = keys->keyCode;
        result.modifiers = keys->modifiers;
      }
    } else {
      switchWorkspace(direction);
    }
    if (value != nullptr) {
      *value = result;
    }
    return done;
  };
  functions.setEnabled = [](std::uint32_t, std::uint32_t hotKey, bool) {
    return isSpaceHotKey(hotKey) ? done : notDone;
  };
  functions.isEnabled = [](std::uint32_t, std::uint32_t hotKey) { return isSpaceHotKey(hotKey); };
  return functions;
}

}  // namespace tactora::lx
