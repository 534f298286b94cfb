#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "Platform/linux/desktop/DesktopFunctions.h"

namespace tactora::lx {

// GTK accelerator strings, the form GNOME stores key bindings in ("<Super>Page_Up",
// "<Control><Alt>Left", "<Primary>w"), read as key combinations the bridges can replay.
class GtkAccelerator {
 public:
  GtkAccelerator() = delete;

  // The combination an accelerator names: the key as a platform key code and the modifiers as
  // hot-key bits (Ctrl and Primary → 0x100 Command, Shift → 0x200, Alt → 0x800 Option, Super and
  // its aliases → 0x1000 Control). Nothing for "", "disabled", an unknown modifier or key name,
  // or anything that is not an accelerator.
  static std::optional<KeyBinding> parse(std::string_view accelerator);

  // The kernel key (KEY_*) for a key name as GTK writes it ("Page_Up", "a", "KP_Enter"); letters
  // and names are matched without regard to case. Nothing for a name not known here.
  static std::optional<std::uint16_t> linuxKey(std::string_view keyName);
};

}  // namespace tactora::lx
