#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "ActionKit/Action.h"

namespace tactora {

// The settings window's and the overlay's flat list of action kinds: one per `Action` case, so it
// is the case enumeration itself, identified by its raw value (the case name) and shown by its
// title.
using ActionKind = Action::Case;

inline constexpr const std::array<ActionKind, Action::caseCount>& allActionKinds = allActionCases;

std::string_view rawValue(ActionKind kind);
std::optional<ActionKind> actionKindFromRaw(std::string_view raw);  // case-sensitive

// The one title of each kind, in the words of a Linux desktop, for the pickers, the overlay and
// every other text: "App Exposé", "Back (Alt+Left)", "Shell Command…". Where an action posts a
// shortcut that is the same on every desktop the title names it as a Linux user presses it; window
// cycling differs by desktop and names no key.
std::string_view title(ActionKind kind);

ActionKind kindOf(const Action& action);
// The action of `kind`; only keyShortcut reads the key code and mask, only shellCommand the text.
Action makeAction(ActionKind kind, std::uint16_t keyCode, std::uint64_t modifiers,
                  std::string command);

}  // namespace tactora
