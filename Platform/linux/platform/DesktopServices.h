#pragma once

#include <memory>
#include <optional>
#include <string>

#include "Platform/linux/desktop/ApplicationIndex.h"
#include "Platform/linux/desktop/DesktopFunctions.h"
#include "Platform/linux/x11/X11Connection.h"

namespace tactora::lx {

// Chooses, for the running session, where each desktop function comes from: the desktop's own
// services first (GNOME Shell, KWin, the wlroots compositors' IPC), then what an EWMH window
// manager offers on an X11 session. On a Wayland session the X server (Xwayland) only knows its
// own clients, so it is never asked about the focused window or workspaces there.
class DesktopServices {
 public:
  // What the session is, from $XDG_SESSION_TYPE, $WAYLAND_DISPLAY, $XDG_CURRENT_DESKTOP,
  // $SWAYSOCK and $HYPRLAND_INSTANCE_SIGNATURE, and the user's sway socket in $XDG_RUNTIME_DIR
  // when nothing names the desktop. A Wayland display, sway or Hyprland make it a Wayland
  // session.
  struct Session {
    std::string type;            // as $XDG_SESSION_TYPE says: "x11", "wayland", "tty" or ""
    std::string currentDesktop;  // as $XDG_CURRENT_DESKTOP says, e.g. "ubuntu:GNOME"
    bool wayland = false;
    bool sway = false;
    bool hyprland = false;
    // Whether the desktop's services on the session bus are asked at all (tests turn it off).
    bool useSessionBus = true;

    static Session fromEnvironment();
    // "GNOME on Wayland", "KDE on X11", "sway on Wayland", "an X11 session".
    std::string description() const;
  };

  // Every function the session offers; `x11` and `applications` may be null.
  static DesktopFunctions assemble(const Session& session,
                                   const std::shared_ptr<X11Connection>& x11,
                                   const std::shared_ptr<const ApplicationIndex>& applications);

  // On GNOME, for `tactora doctor`: the state of our GNOME Shell extension and what to do when it
  // does not run; nothing on other desktops.
  static std::optional<std::string> gnomeExtensionReport(const Session& session);
};

}  // namespace tactora::lx
