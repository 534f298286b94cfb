#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/linux/desktop/ApplicationIndex.h"
#include "Platform/linux/desktop/DesktopFunctions.h"

namespace tactora::lx {

// What KDE Plasma offers the system bridges: KWin's own commands through its global shortcuts
// (the overview, the present-windows view of the front application, showing the desktop,
// moving one desktop left or right, closing the active window), and the focused application
// reported by a KWin script.
class KdeDesktop {
 public:
  // Whether one of KWin's shortcuts does something now, and why not when it does not.
  struct ShortcutState {
    std::string_view name;
    std::optional<std::string> unavailable;  // the reason; nothing when it is available
  };

  // The functions of the services running on the session bus now: the shortcuts when
  // kglobalaccel has an owner, the front application when KWin has one and
  // `frontApplicationFromKWin` asks for it (on X11 the active window tells it without KWin).
  // Empty functions when there is no session bus or no Plasma on it.
  static DesktopFunctions functions(std::shared_ptr<const ApplicationIndex> index,
                                    bool frontApplicationFromKWin);

  // Each KWin shortcut Tactora uses, asked of the running kglobalaccel and KWin.
  static std::vector<ShortcutState> shortcutStates();

  // KWin's shortcut that stands for a Dock notification; nothing for one without a counterpart.
  static std::optional<std::string_view> shortcutForNotification(std::string_view notification);
  // KWin's shortcut that moves one desktop in `direction`.
  static std::string_view shortcutForDirection(WorkspaceDirection direction);
  static constexpr std::string_view closeWindowShortcut = "Window Close";
};

}  // namespace tactora::lx
