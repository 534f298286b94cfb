#pragma once

#include <cstdint>

namespace tactora::platform {

// Which of the program's fixed key combinations a keyboard event belongs to, carried in the
// event's `fixedShortcut` field. The combinations are written in the event system's own keys
// (Command-H, Command-Tab); a backend whose desktop binds these functions to other keys posts the
// desktop's keys instead. Events without the field (`none`) are posted exactly as they are, which
// is how a shortcut the user recorded stays the one recorded.
enum class FixedShortcut : std::int64_t {
  none = 0,
  hideApp = 1,
  minimizeWindow = 2,
  cycleWindows = 3,
  zoomIn = 4,
  zoomOut = 5,
  navigateBack = 6,
  navigateForward = 7,
  appSwitcher = 8,           // one quick switch to the previous application
  appSwitcherHold = 9,       // the held modifier of the stepping switcher (press and release)
  appSwitcherForward = 10,   // one step forward while it is held
  appSwitcherBackward = 11,  // one step backward while it is held
  closeWindow = 12,          // closing the focused window when nothing better works
};

inline constexpr std::int64_t fixedShortcutCount = 13;

}  // namespace tactora::platform
