#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "Platform/linux/desktop/ApplicationIndex.h"
#include "Platform/linux/desktop/DesktopFunctions.h"
#include "Platform/linux/wlroots/WindowClass.h"

namespace tactora::lx {

// What wlroots compositors offer the system bridges through their IPC sockets: the focused
// application on sway and Hyprland, and on sway moving one workspace left or right on the
// current output.
class WlrootsDesktop {
 public:
  struct Sockets {
    std::string sway;      // sway's IPC socket; empty when not running under sway
    std::string hyprland;  // Hyprland's request socket; empty when not running under Hyprland
  };

  // The sockets the session announces: $SWAYSOCK (else the user's sway socket in
  // $XDG_RUNTIME_DIR), and Hyprland's from $XDG_RUNTIME_DIR and $HYPRLAND_INSTANCE_SIGNATURE.
  static Sockets socketsFromEnvironment();

  // The functions of the compositor whose socket answers now (sway before Hyprland); empty
  // functions when neither does.
  static DesktopFunctions functions(const Sockets& sockets,
                                    std::shared_ptr<const ApplicationIndex> index,
                                    std::chrono::milliseconds timeout = defaultTimeout);

  // The desktop-file id for a window's class: an installed application whose id is the class
  // wins, else the index's match of the window class; nothing when no application matches.
  static std::optional<std::string> applicationId(const ApplicationIndex& index,
                                                  const WindowClass& window);

  static constexpr std::chrono::milliseconds defaultTimeout{250};
};

}  // namespace tactora::lx
