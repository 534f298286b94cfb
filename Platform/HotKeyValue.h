#pragma once

#include <cstdint>

namespace tactora::platform {

// The binding of one symbolic hot key as the window server reports it.
struct HotKeyValue {
  std::uint16_t character = 0;  // not used
  std::uint32_t keyCode = 0;    // virtual key code; 0 means no binding
  // Modifier bits: 0x100 Command, 0x200 Shift, 0x800 Option, 0x1000 Control.
  std::uint32_t modifiers = 0;
  bool enabled = false;

  friend bool operator==(const HotKeyValue&, const HotKeyValue&) = default;
};

// The modifier bits of a hot-key binding.
namespace hotKeyModifier {
inline constexpr std::uint32_t command = 0x100;
inline constexpr std::uint32_t shift = 0x200;
inline constexpr std::uint32_t option = 0x800;
inline constexpr std::uint32_t control = 0x1000;
}  // namespace hotKeyModifier

namespace symbolicHotKey {
inline constexpr std::uint32_t moveLeftASpace = 79;
inline constexpr std::uint32_t moveRightASpace = 81;
}  // namespace symbolicHotKey

}  // namespace tactora::platform
