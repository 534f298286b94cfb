#pragma once

#include <cstdint>
#include <optional>
#include <span>

#include "Platform/EventFlags.h"

namespace tactora::lx {

// The held-modifier convention between the event system's flag masks and the kernel's modifier
// keys, Qt's: Command ↔ Ctrl, Option ↔ Alt, Control ↔ Super, Shift ↔ Shift. One table, read both
// ways; the order of the table is the order modifiers are pressed in (and released in reverse).
class ModifierKeys {
 public:
  // A set of held modifiers in the kernel's terms, one bit per entry of the table.
  using Set = std::uint8_t;
  static constexpr Set ctrl = 0x1;
  static constexpr Set alt = 0x2;
  static constexpr Set super = 0x4;
  static constexpr Set shift = 0x8;

  struct Entry {
    Set modifier;
    platform::EventFlags flag;
    std::uint16_t leftKey;   // the key we press for it
    std::uint16_t rightKey;  // read back as the same modifier
  };

  ModifierKeys() = delete;

  static std::span<const Entry> entries();

  // The modifiers of a flag word; bits that are no modifier (Caps Lock, Fn) are ignored.
  static Set fromFlags(platform::EventFlags flags);
  static platform::EventFlags toFlags(Set modifiers);
  // The modifier a kernel key holds (either hand); empty for any other key.
  static std::optional<Set> modifierOfKey(std::uint16_t linuxKey);
};

}  // namespace tactora::lx
