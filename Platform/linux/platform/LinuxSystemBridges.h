#pragma once

#include "Platform/SystemBridges.h"
#include "Platform/linux/desktop/DesktopFunctions.h"

namespace tactora::lx {

// The system entry points on a Linux desktop, carried out by what the desktop offers.
//
// The Dock's notification entry point exists when the desktop carries out any of the
// notifications (the overview for Mission Control and App Exposé, Show Desktop); a notification
// it has no counterpart for does nothing (-1).
//
// The space hot keys (79 left, 81 right) exist when the desktop can move between workspaces. A
// desktop with a key binding for it reports that binding, which the caller replays as the user's
// own shortcut. A desktop that switches on request switches when the binding is read (that is
// the moment a space switch happens) and reports the binding enabled with no key, so the caller
// has nothing to post. Other hot keys report no binding. Enabling is accepted and changes
// nothing; every space hot key counts as enabled.
class LinuxSystemBridges final : public platform::SystemBridges {
 public:
  explicit LinuxSystemBridges(DesktopFunctions desktop);

  platform::DockNotificationFunction loadDockNotificationFunction() override;
  platform::HotKeyFunctions loadHotKeyFunctions() override;

 private:
  DesktopFunctions desktop_;
};

}  // namespace tactora::lx
