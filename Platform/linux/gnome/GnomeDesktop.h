#pragma once

#include <memory>
#include <string>
#include <vector>

#include "Platform/linux/bus/SessionBus.h"
#include "Platform/linux/desktop/DesktopFunctions.h"
#include "Platform/linux/gnome/GnomeKeybindings.h"

namespace tactora::lx {

// What GNOME offers the bridges. Each function is present only when its service answers at the
// time of the call to `functions`:
// - the front application and closing the focused window: our Shell extension, when the shell
//   runs it and it answers this process;
// - moving one workspace: the window manager's switch-to-workspace-left/right bindings, read
//   each time and replayed by the caller;
// - Dock notifications: Mission Control and App Exposé toggle the Shell's overview. GNOME has no
//   overview of one application's windows, so App Exposé shows them all, like Mission Control.
//   Show Desktop has no Shell counterpart and returns false, for a fallback to carry out
//   (`GnomeKeybindings::showDesktopBinding` is the user's binding for it, unbound by default).
// Choose this provider for a GNOME session: the key binding schema is installed on many other
// desktops as well.
class GnomeDesktop {
 public:
  static constexpr const char* extensionSource = "GNOME Shell extension tactora@vellumworks.com";
  static constexpr const char* workspaceSource =
      "GNOME key bindings switch-to-workspace-left/right";
  static constexpr const char* overviewSource = "GNOME Shell overview (OverviewActive)";

  GnomeDesktop() = delete;

  static DesktopFunctions functions(std::shared_ptr<SessionBus> bus,
                                    std::shared_ptr<const GnomeKeybindings> keybindings);
  // The same on the user's session bus and the installed schemas.
  static DesktopFunctions functions();

  // For `tactora doctor`: what the shell says about our extension, whether it answers this
  // program, and what to do when it does not run. `dataDirectories` are searched for a copy
  // installed since the shell started.
  static std::string extensionReport(const std::shared_ptr<SessionBus>& bus,
                                     const std::vector<std::string>& dataDirectories);
};

}  // namespace tactora::lx
