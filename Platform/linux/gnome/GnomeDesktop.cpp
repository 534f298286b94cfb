#include "Platform/linux/gnome/GnomeDesktop.h"

#include <utility>

#include "Platform/linux/gnome/GnomeExtensionClient.h"
#include "Platform/linux/gnome/GnomeExtensionStatus.h"
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

    // The extension answers the running application; `tactora doctor` is answered only beside
    // it, and otherwise says why in its line about the extension.
    auto extension = std::make_shared<const GnomeExtensionClient>(bus);
    if (GnomeExtensionStatus::read(*bus, GnomeShell::defaultTimeout).state ==
            GnomeExtensionStatus::State::running &&
        extension->available()) {
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

std::string GnomeDesktop::extensionReport(const std::shared_ptr<SessionBus>& bus,
                                          const std::vector<std::string>& dataDirectories) {
  const GnomeExtensionStatus status = GnomeExtensionStatus::read(*bus, GnomeShell::defaultTimeout);
  std::string report = status.description(dataDirectories);
  if (status.state == GnomeExtensionStatus::State::running &&
      !GnomeExtensionClient(bus).available()) {
    report +=
        bus->hasOwner(GnomeExtensionClient::applicationBusName, GnomeShell::defaultTimeout)
            ? "; it answers only the program file of the running Tactora, which this one is not"
            : "; it answers only the running Tactora, which is not running now: start it "
              "and run this again to see the focused application";
  }
  return report;
}

DesktopFunctions GnomeDesktop::functions() {
  return functions(std::make_shared<SessionBus>(), std::make_shared<const GnomeKeybindings>());
}

}  // namespace tactora::lx
