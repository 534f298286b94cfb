#include "ActionKit/SystemBridgeActions.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <optional>

#include "ActionKit/PerPlatform.h"
#include "ActionKit/SharedEventSource.h"
#include "ActionKit/SyntheticInput.h"
#include "Platform/Accessibility.h"
#include "Platform/HotKeyValue.h"

namespace tactora {

namespace {

constexpr double spaceSwitchKeyPauseSeconds = 0.020;
constexpr std::uint16_t wKeyCode = 13;

// The event flags for a binding's modifier bits; other bits are ignored.
platform::EventFlags flagsForHotKeyModifiers(std::uint32_t modifiers) {
  platform::EventFlags flags = 0;
  if (modifiers & platform::hotKeyModifier::command) {
    flags |= platform::eventFlags::maskCommand;
  }
  if (modifiers & platform::hotKeyModifier::shift) {
    flags |= platform::eventFlags::maskShift;
  }
  if (modifiers & platform::hotKeyModifier::option) {
    flags |= platform::eventFlags::maskAlternate;
  }
  if (modifiers & platform::hotKeyModifier::control) {
    flags |= platform::eventFlags::maskControl;
  }
  return flags;
}

const platform::DockNotificationFunction& dockNotificationFunction(platform::Platform& platform) {
  static PerPlatform<platform::DockNotificationFunction> functions;
  return functions.get(platform, [](platform::Platform& owner) {
    return std::make_shared<platform::DockNotificationFunction>(
        owner.systemBridges().loadDockNotificationFunction());
  });
}

// Walks system-wide element → focused application → focused window → close button and presses
// it. False as soon as a step fails or yields nothing.
bool pressFocusedCloseButton(platform::Accessibility& accessibility) {
  const auto systemWide = accessibility.createSystemWide();
  if (!systemWide) {
    return false;
  }
  std::shared_ptr<platform::AXElement> application;
  if (accessibility.copyElementAttribute(*systemWide, "AXFocusedApplication", application) !=
          platform::AXError::success ||
      !application) {
    return false;
  }
  std::shared_ptr<platform::AXElement> window;
  if (accessibility.copyElementAttribute(*application, "AXFocusedWindow", window) !=
          platform::AXError::success ||
      !window) {
    return false;
  }
  std::shared_ptr<platform::AXElement> closeButton;
  if (accessibility.copyElementAttribute(*window, "AXCloseButton", closeButton) !=
          platform::AXError::success ||
      !closeButton) {
    return false;
  }
  return accessibility.performAction(*closeButton, "AXPress") == platform::AXError::success;
}

}  // namespace

void sendDockNotification(std::string_view name) {
  sendDockNotification(platform::Platform::current(), name);
}

void sendDockNotification(platform::Platform& platform, std::string_view name) {
  const auto& send = dockNotificationFunction(platform);
  if (send) {
    send(name, 0);
  }
}

void switchSpace(bool right) {
  auto& platform = platform::Platform::current();
  switchSpace(platform, CGSBridge::shared(platform), right);
}

void switchSpace(platform::Platform& platform, const CGSBridge& bridge, bool right) {
  if (!bridge.getValue() || !bridge.setEnabled()) {
    return;
  }
  const std::uint32_t hotKey =
      right ? platform::symbolicHotKey::moveRightASpace : platform::symbolicHotKey::moveLeftASpace;
  platform::HotKeyValue value{};
  bridge.getValue()(bridge.connectionID(), hotKey, &value);
  if (!value.enabled) {
    // Left enabled afterwards: the user's binding should work for the next gesture too.
    bridge.setEnabled()(bridge.connectionID(), hotKey, true);
  }
  // A code beyond 16 bits cannot be a key; replaying a truncated one would press a wrong key.
  if (value.keyCode == 0 || value.keyCode > std::numeric_limits<std::uint16_t>::max()) {
    return;
  }
  // Replayed as a brief press rather than an instant tap: down, 20 ms, up.
  postKeyCombination(platform, static_cast<std::uint16_t>(value.keyCode),
                     flagsForHotKeyModifiers(value.modifiers), spaceSwitchKeyPauseSeconds);
}

void closeFocusedWindow() {
  closeFocusedWindow(platform::Platform::current());
}

void closeFocusedWindow(platform::Platform& platform) {
  if (!pressFocusedCloseButton(platform.accessibility())) {
    pressCommandW(platform);
  }
}

void pressCommandW(platform::Platform& platform) {
  postKeyCombination(platform, wKeyCode, platform::eventFlags::maskCommand, 0,
                     platform::FixedShortcut::closeWindow);
}

}  // namespace tactora
