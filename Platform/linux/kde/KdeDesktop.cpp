#include "Platform/linux/kde/KdeDesktop.h"

#include <array>
#include <utility>

#include "Platform/linux/bus/SessionBus.h"
#include "Platform/linux/kde/KGlobalAccel.h"
#include "Platform/linux/kde/KWinFrontApplication.h"

namespace tactora::lx {

namespace {

// The Dock's views and the KWin effects that show the same thing.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> notificationShortcuts{{
    {dockNotification::missionControl, "Overview"},
    {dockNotification::appExpose, "ExposeClass"},
    {dockNotification::showDesktop, "Show Desktop"},
}};

constexpr std::string_view shortcutsSource = "KDE global shortcuts (org.kde.kglobalaccel)";

}  // namespace

std::optional<std::string_view> KdeDesktop::shortcutForNotification(std::string_view notification) {
  for (const auto& [name, shortcut] : notificationShortcuts) {
    if (name == notification) {
      return shortcut;
    }
  }
  return std::nullopt;
}

std::string_view KdeDesktop::shortcutForDirection(WorkspaceDirection direction) {
  switch (direction) {
    case WorkspaceDirection::left:
      return "Switch One Desktop to the Left";
    case WorkspaceDirection::right:
      return "Switch One Desktop to the Right";
  }
  return {};
}

DesktopFunctions KdeDesktop::functions(std::shared_ptr<const ApplicationIndex> index) {
  DesktopFunctions functions;
  // Without a session bus neither service has an owner, and nothing is offered.
  const auto bus = std::make_shared<SessionBus>();
  if (bus->hasOwner(KGlobalAccel::service, KGlobalAccel::defaultTimeout)) {
    const auto accel = std::make_shared<KGlobalAccel>(bus);
    functions.dockNotification = [accel](std::string_view notification) {
      const auto shortcut = shortcutForNotification(notification);
      return shortcut && accel->invokeShortcut(*shortcut);
    };
    functions.dockNotificationSource = shortcutsSource;
    functions.switchWorkspace = [accel](WorkspaceDirection direction) {
      return accel->invokeShortcut(shortcutForDirection(direction));
    };
    functions.workspaceSource = shortcutsSource;
    functions.closeActiveWindow = [accel] { return accel->invokeShortcut(closeWindowShortcut); };
    functions.closeActiveWindowSource = shortcutsSource;
  }

  if (bus->hasOwner(KWinFrontApplication::kwinService, KGlobalAccel::defaultTimeout)) {
    const auto kwin = std::make_shared<KWinFrontApplication>(std::move(index));
    functions.frontApplication = [kwin] { return kwin->frontApplication(); };
    functions.frontApplicationSource = "KWin script (org.kde.KWin)";
  }
  return functions;
}

}  // namespace tactora::lx
