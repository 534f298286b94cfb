#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tactora::platform {

// The names of the keys the configuration's key codes stand for wherever the code is the same
// (key positions of a US keyboard), in the spelling of `KeyboardKeys`. One table, read both ways;
// shifted symbols are read one way only, so a key's name stays its unshifted label.
class KeyNames {
 public:
  struct Entry {
    std::uint16_t keyCode;
    std::string_view name;
  };

  KeyNames() = delete;

  static std::span<const Entry> entries();
  static std::optional<std::string_view> name(std::uint16_t keyCode);
  // Also the shifted symbols: "!" is the key of "1".
  static std::optional<std::uint16_t> keyCode(std::string_view name);
};

}  // namespace tactora::platform
