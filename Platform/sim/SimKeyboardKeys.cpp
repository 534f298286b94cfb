#include "Platform/sim/SimKeyboardKeys.h"

#include "Platform/KeyNames.h"

namespace tactora::sim {

std::optional<std::string_view> SimKeyboardKeys::keyName(std::uint16_t keyCode) const {
  return platform::KeyNames::name(keyCode);
}

std::optional<std::uint16_t> SimKeyboardKeys::keyCode(std::string_view name) const {
  return platform::KeyNames::keyCode(name);
}

platform::KeyboardKeys::KeyReading SimKeyboardKeys::readKeycode(std::uint32_t) const {
  return {};
}

}  // namespace tactora::sim
