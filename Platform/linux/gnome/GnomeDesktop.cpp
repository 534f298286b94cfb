#include "Platform/linux/gnome/GnomeDesktop.h"

#include <utility>

#include "Platform/linux/gnome/GnomeExtensionClient.h"
#include "Platform/linux/gnome/GnomeShell.h"

namespace tactora::lx {

DesktopFunctions GnomeDesktop::functions(std::shared_ptr<SessionBus> bus,
                                         std::shared_ptr<const GnomeKeybindings> keybindings) {
  DesktopFunctions functions;

  auto shell = std::make_shared<const GnomeShell>(bus);
  if (shell->isRunning()) {
    functions.dockNotification = [shell](std::string_view notification) {
      if (notification == dockNotification::missionControl ||
          notification == dockNotification::appExpose) {
        return shell->toggleOverview();
      }
      return false;
    };
    functions.dockNotificationSource = overviewSource;

    auto extension = std::make_shared<const GnomeExtensionClient>(bus);
    if (extension->available()) {
      functions.frontApplication = [extension] { return extension->focusedApplication(); };
      functions.frontApplicationSource = extensionSource;
      functions.closeActiveWindow = [extension] { return extension->closeFocusedWindow(); };
      functions.closeActiveWindowSource = extensionSource;
    }
  }

  if (keybindings != nullptr &&
      keybindings->hasKey(GnomeKeybindings::windowManagerSchema,
                          GnomeKeybindings::workspaceKey(WorkspaceDirection::left)) &&
      keybindings->hasKey(GnomeKeybindings::windowManagerSchema,
                          GnomeKeybindings::workspaceKey(WorkspaceDirection::right))) {
    functions.workspaceBinding = [keybindings](WorkspaceDirection direction) {
      return keybindings->workspaceBinding(direction);
    };
    functions.workspaceSource = workspaceSource;
  }
  return functions;
}

DesktopFunctions GnomeDesktop::functions() {
  return functions(std::make_shared<SessionBus>(), std::make_shared<const GnomeKeybindings>());
}

}  // namespace tactora::lx
