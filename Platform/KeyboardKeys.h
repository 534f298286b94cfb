#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tactora::platform {

// The keyboard as the settings window shows and records key shortcuts: which key a stored key
// code is, by name, and which key code a pressed key stores. Names are the keys' labels on a US
// layout in the portable spelling of key sequences ("A", "5", "F5", "Esc", "Return", "Left",
// "PgUp", "-", "Volume Up"), so a toolkit reads them as its own keys.
class KeyboardKeys {
 public:
  // What a pressed key records: a key code; nothing (a modifier or lock key alone, or a key the
  // configuration cannot store); or `unread` where this platform does not know the code, and the
  // window goes by the key's name instead.
  enum class Reading : std::uint8_t { key, nothing, unread };
  struct KeyReading {
    Reading reading = Reading::unread;
    std::uint16_t keyCode = 0;  // for `key`
    friend bool operator==(const KeyReading&, const KeyReading&) = default;
  };

  virtual ~KeyboardKeys() = default;

  // The name of a stored key code; empty for a code no key here has a name for.
  virtual std::optional<std::string_view> keyName(std::uint16_t keyCode) const = 0;
  // The key code a name stands for; a shifted symbol ("!", "?") stands for the key it is on.
  virtual std::optional<std::uint16_t> keyCode(std::string_view name) const = 0;
  // A key the window system reported by its X keycode (the scan code X11 and Wayland toolkits
  // give).
  virtual KeyReading readKeycode(std::uint32_t xKeycode) const = 0;
};

}  // namespace tactora::platform
