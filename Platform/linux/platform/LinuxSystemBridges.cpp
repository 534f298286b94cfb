#include "Platform/linux/platform/LinuxSystemBridges.h"

#include <cstdint>
#include <string_view>
#include <utility>

#include "Platform/HotKeyValue.h"

namespace tactora::lx {

namespace {

constexpr std::string_view showDesktopNotification = "com.apple.showdesktop.awake";
constexpr std::int32_t done = 0;
constexpr std::int32_t notDone = -1;
// Any non-zero id: the hot-key functions only need to tell "connected" from "not".
constexpr std::uint32_t windowManagerConnection = 1;

bool isSpaceHotKey(std::uint32_t hotKey) {
  return hotKey == platform::symbolicHotKey::moveLeftASpace ||
         hotKey == platform::symbolicHotKey::moveRightASpace;
}

}  // namespace

LinuxSystemBridges::LinuxSystemBridges(EwmhWindowManager::Functions windowManager)
    : windowManager_(std::move(windowManager)) {}

platform::DockNotificationFunction LinuxSystemBridges::loadDockNotificationFunction() {
  if (!windowManager_.toggleShowingDesktop) {
    return {};
  }
  return [toggle = windowManager_.toggleShowingDesktop](std::string_view name, int) {
    if (name != showDesktopNotification) {
      return notDone;
    }
    return toggle() ? done : notDone;
  };
}

platform::HotKeyFunctions LinuxSystemBridges::loadHotKeyFunctions() {
  platform::HotKeyFunctions functions;
  if (!windowManager_.switchWorkspace) {
    return functions;
  }
  functions.connectionID = windowManagerConnection;
  functions.getValue = [switchWorkspace = windowManager_.switchWorkspace](
                           std::uint32_t, std::uint32_t hotKey, platform::HotKeyValue* value) {
    if (!isSpaceHotKey(hotKey)) {
      if (value != nullptr) {
        *value = {};
      }
      return notDone;
    }
    switchWorkspace(hotKey == platform::symbolicHotKey::moveRightASpace
                        ? EwmhWindowManager::Direction::right
                        : EwmhWindowManager::Direction::left);
    if (value != nullptr) {
      *value = platform::HotKeyValue{.character = 0, .keyCode = 0, .modifiers = 0, .enabled = true};
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
