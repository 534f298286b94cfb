#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "Platform/FixedShortcut.h"
#include "Platform/linux/posting/DesktopFamily.h"
#include "Platform/linux/posting/ModifierKeys.h"

namespace tactora::lx {

// What each of the program's fixed key combinations becomes on a Linux desktop: the keys a user
// of that desktop presses for the same function. One row per combination, one column per desktop
// family; a shortcut the user recorded never goes through this table.
class FixedShortcutTable {
 public:
  // A kernel key with the modifiers held around it. `linuxKey` 0 is a bare modifier: the held
  // modifier of the stepping app switcher.
  struct Chord {
    std::uint16_t linuxKey;
    ModifierKeys::Set modifiers;
    friend bool operator==(const Chord&, const Chord&) = default;
  };
  struct Row {
    platform::FixedShortcut shortcut;
    Chord gnome;
    Chord kde;
    Chord other;
  };

  FixedShortcutTable() = delete;

  static std::span<const Row> rows();
  // The chord for `shortcut` on `desktop`; empty for `none` and for values outside the table.
  static std::optional<Chord> chord(platform::FixedShortcut shortcut, DesktopFamily desktop);
};

}  // namespace tactora::lx
