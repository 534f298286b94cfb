#pragma once

#include "Platform/KeyboardKeys.h"

namespace tactora::sim {

// The simulation's keyboard: the keys whose key codes every platform shares, by name; it reads no
// window-system keycodes, so the window goes by the keys' names.
class SimKeyboardKeys final : public platform::KeyboardKeys {
 public:
  std::optional<std::string_view> keyName(std::uint16_t keyCode) const override;
  std::optional<std::uint16_t> keyCode(std::string_view name) const override;
  KeyReading readKeycode(std::uint32_t xKeycode) const override;
};

}  // namespace tactora::sim
