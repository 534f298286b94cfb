#pragma once

#include "Platform/SystemBridges.h"
#include "Platform/linux/x11/EwmhWindowManager.h"

namespace tactora::lx {

// The system entry points on a Linux desktop, carried out by the EWMH window manager.
//
// The Dock's notification entry point exists when the window manager can show the desktop:
// "com.apple.showdesktop.awake" toggles _NET_SHOWING_DESKTOP; every other notification has no
// counterpart and does nothing (-1).
//
// The space hot keys (79 left, 81 right) exist when the window manager switches workspaces.
// Reading a binding is the moment a space switch happens, so reading hot key 79 or 81 asks the
// window manager for the neighbouring workspace and reports the binding enabled with no key:
// the caller then has nothing to post. Other hot keys report no binding. Enabling is accepted
// and changes nothing; every space hot key counts as enabled.
class LinuxSystemBridges final : public platform::SystemBridges {
 public:
  explicit LinuxSystemBridges(EwmhWindowManager::Functions windowManager);

  platform::DockNotificationFunction loadDockNotificationFunction() override;
  platform::HotKeyFunctions loadHotKeyFunctions() override;

 private:
  EwmhWindowManager::Functions windowManager_;
};

}  // namespace tactora::lx
