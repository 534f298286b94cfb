#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ActionKit/Action.h"

namespace tactora {

// The settings window's and the overlay's flat list of action kinds: one per `Action` case, same
// names and order, identified by its raw value (the case name) and shown by its title.
enum class ActionKind : std::uint8_t {
  none,
  leftClick,
  rightClick,
  middleClick,
  doubleClick,
  tripleClick,
  missionControl,
  appExpose,
  showDesktop,
  spaceLeft,
  spaceRight,
  closeFocusedWindow,
  hideApp,
  minimizeWindow,
  cycleWindows,
  zoomIn,
  zoomOut,
  navigateBack,
  navigateForward,
  appSwitcher,
  appSwitcherNext,
  appSwitcherPrevious,
  keyShortcut,
  shellCommand,
};

extern const std::array<ActionKind, Action::caseCount> allActionKinds;

std::string_view rawValue(ActionKind kind);
std::optional<ActionKind> actionKindFromRaw(std::string_view raw);  // case-sensitive
std::string_view title(ActionKind kind);  // "App Exposé", "Shell Command…"

ActionKind kindOf(const Action& action);
// The action of `kind`; only keyShortcut reads the key code and mask, only shellCommand the text.
Action makeAction(ActionKind kind, std::uint16_t keyCode, std::uint64_t modifiers,
                  std::string command);

}  // namespace tactora
