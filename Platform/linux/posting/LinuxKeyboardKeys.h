#pragma once

#include "Platform/KeyboardKeys.h"

namespace tactora::lx {

// A Linux keyboard for the settings window: the keys every platform names, the few keys only
// Linux keyboards have a name for here (Print, Pause, the media and brightness keys, stored in the
// key table's reserved range), and X keycodes read through the kernel's key codes, so a recorded
// key is exactly the key the poster presses later.
class LinuxKeyboardKeys final : public platform::KeyboardKeys {
 public:
  std::optional<std::string_view> keyName(std::uint16_t keyCode) const override;
  std::optional<std::uint16_t> keyCode(std::string_view name) const override;
  KeyReading readKeycode(std::uint32_t xKeycode) const override;
};

}  // namespace tactora::lx
