#pragma once

#include <cstdint>
#include <optional>
#include <span>

namespace tactora::lx {

// The key codes of the configuration file (the event system's virtual key codes, ANSI positions)
// and the kernel's `KEY_*` codes, in one table read both ways. Keys with an equivalent keep the
// configuration's numbering, so a file written on another system reads the same here. Every other
// key a Linux keyboard can produce is stored as `reservedBase` + its kernel code: the
// configuration's own codes all lie below 0x80, so the two ranges never meet.
class KeyCodeTable {
 public:
  struct Entry {
    std::uint16_t keyCode;   // as stored in the configuration
    std::uint16_t linuxKey;  // KEY_*
  };

  static constexpr std::uint16_t reservedBase = 0x1000;

  KeyCodeTable() = delete;

  // The entries with an equivalent, in the configuration's numbering.
  static std::span<const Entry> entries();

  // The kernel key for a configuration key code; empty for a code that names no key.
  static std::optional<std::uint16_t> linuxKey(std::uint16_t keyCode);
  // The configuration key code for a kernel key; empty for a code that is no keyboard key
  // (KEY_RESERVED, mouse and joystick buttons, beyond KEY_MAX).
  static std::optional<std::uint16_t> keyCode(std::uint16_t linuxKey);

  // True for the codes a keyboard can send: KEY_ codes, not the BTN_ ranges between them.
  static bool isKeyboardKey(std::uint16_t linuxKey);
};

}  // namespace tactora::lx
