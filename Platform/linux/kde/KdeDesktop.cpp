#include "Platform/linux/kde/KdeDesktop.h"

#include <algorithm>
#include <array>
#include <utility>

#include "Platform/linux/bus/SessionBus.h"
#include "Platform/linux/kde/KGlobalAccel.h"
#include "Platform/linux/kde/KWinEffects.h"
#include "Platform/linux/kde/KWinFrontApplication.h"

namespace tactora::lx {

namespace {

// The Dock's views and the KWin shortcuts that show the same thing.
constexpr std::array<std::pair<std::string_view, std::string_view>, 3> notificationShortcuts{{
    {dockNotification::missionControl, "Overview"},
    {dockNotification::appExpose, "ExposeClass"},
    {dockNotification::showDesktop, "Show Desktop"},
}};

// Every KWin shortcut Tactora runs, with the effects that carry it out (either one; none for
// KWin's own commands). kglobalaccel keeps an effect's shortcut, and accepts it, after the effect
// was unloaded (compositing turned off), when it does nothing. Present Windows is "windowview"
// from Plasma 5.25 on and "presentwindows" before.
struct KWinShortcut {
  std::string_view name;
  std::array<std::string_view, 2> effects;
};
constexpr std::array<KWinShortcut, 6> kwinShortcuts{{
    {"Overview", {"overview", {}}},
    {"ExposeClass", {"windowview", "presentwindows"}},
    {"Show Desktop", {}},
    {"Switch One Desktop to the Left", {}},
    {"Switch One Desktop to the Right", {}},
    {KdeDesktop::closeWindowShortcut, {}},
}};

constexpr std::string_view shortcutsSource = "KDE global shortcuts (org.kde.kglobalaccel)";

// Whether the effect behind `shortcut` (if any) may be loaded in KWin now: false only when KWin
// said it is not. A KWin too busy to answer in time is composited and drawing, most likely the
// very effect the shortcut takes away again.
bool effectLoaded(KWinEffects& effects, std::string_view shortcut) {
  const auto entry = std::find_if(kwinShortcuts.begin(), kwinShortcuts.end(),
                                  [shortcut](const KWinShortcut& s) { return s.name == shortcut; });
  if (entry == kwinShortcuts.end() || entry->effects[0].empty()) {
    return true;
  }
  return std::any_of(entry->effects.begin(), entry->effects.end(), [&](std::string_view effect) {
    return !effect.empty() && effects.isLoaded(effect).value_or(true);
  });
}

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

std::vector<KdeDesktop::ShortcutState> KdeDesktop::shortcutStates() {
  const auto bus = std::make_shared<SessionBus>();
  KGlobalAccel accel(bus);
  KWinEffects effects(bus);
  const auto names = accel.shortcutNames();
  std::vector<ShortcutState> states;
  for (const KWinShortcut& shortcut : kwinShortcuts) {
    ShortcutState& state = states.emplace_back(ShortcutState{shortcut.name, std::nullopt});
    if (!names) {
      state.unavailable = "kglobalaccel does not answer";
    } else if (std::find(names->begin(), names->end(), shortcut.name) == names->end()) {
      state.unavailable = "kglobalaccel does not know it";
    } else if (!effectLoaded(effects, shortcut.name)) {
      state.unavailable = "KWin's \"" + std::string(shortcut.effects[0]) +
                          "\" effect is not loaded (it needs compositing)";
    }
  }
  return states;
}

DesktopFunctions KdeDesktop::functions(std::shared_ptr<const ApplicationIndex> index,
                                       bool frontApplicationFromKWin) {
  DesktopFunctions functions;
  // Without a session bus neither service has an owner, and nothing is offered.
  const auto bus = std::make_shared<SessionBus>();
  if (bus->hasOwner(KGlobalAccel::service, KGlobalAccel::defaultTimeout)) {
    const auto accel = std::make_shared<KGlobalAccel>(bus);
    const auto effects = std::make_shared<KWinEffects>(bus);
    functions.dockNotification = [accel, effects](std::string_view notification) {
      const auto shortcut = shortcutForNotification(notification);
      return shortcut && effectLoaded(*effects, *shortcut) && accel->invokeShortcut(*shortcut);
    };
    functions.dockNotificationSource = shortcutsSource;
    functions.switchWorkspace = [accel](WorkspaceDirection direction) {
      return accel->invokeShortcut(shortcutForDirection(direction));
    };
    functions.workspaceSource = shortcutsSource;
    functions.closeActiveWindow = [accel] { return accel->invokeShortcut(closeWindowShortcut); };
    functions.closeActiveWindowSource = shortcutsSource;
  }

  if (frontApplicationFromKWin &&
      bus->hasOwner(KWinFrontApplication::kwinService, KGlobalAccel::defaultTimeout)) {
    const auto kwin = std::make_shared<KWinFrontApplication>(std::move(index));
    functions.frontApplication = [kwin] { return kwin->frontApplication(); };
    functions.awaitFrontApplication = [kwin](std::chrono::milliseconds timeout) {
      return kwin->awaitReport(timeout);
    };
    functions.frontApplicationSource = "KWin script (org.kde.KWin)";
  }
  return functions;
}

}  // namespace tactora::lx
