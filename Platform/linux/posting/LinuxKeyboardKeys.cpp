#include "Platform/linux/posting/LinuxKeyboardKeys.h"

#include <linux/input-event-codes.h>

#include "Platform/KeyNames.h"
#include "Platform/linux/posting/KeyCodeTable.h"
#include "Platform/linux/posting/ModifierKeys.h"

namespace tactora::lx {

namespace {

struct LinuxOnlyKey {
  std::uint16_t linuxKey;
  std::string_view name;
};

// Keys without a shared key code, named as toolkits name them.
constexpr LinuxOnlyKey linuxOnlyKeys[] = {
    {KEY_SYSRQ, "Print"},
    {KEY_PAUSE, "Pause"},
    {KEY_PLAYPAUSE, "Toggle Media Play/Pause"},
    {KEY_NEXTSONG, "Media Next"},
    {KEY_PREVIOUSSONG, "Media Previous"},
    {KEY_BRIGHTNESSUP, "Monitor Brightness Up"},
    {KEY_BRIGHTNESSDOWN, "Monitor Brightness Down"},
};

// X keycodes are the kernel's key codes plus this offset.
constexpr std::uint32_t xKeycodeOffset = 8;

// Pressing these alone never ends a recording: they only change what the next key means.
bool isModifierOrLockKey(std::uint16_t linuxKey) {
  switch (linuxKey) {
    case KEY_CAPSLOCK:
    case KEY_NUMLOCK:
    case KEY_SCROLLLOCK:
    case KEY_FN:
      return true;
    default:
      return ModifierKeys::modifierOfKey(linuxKey).has_value();
  }
}

}  // namespace

std::optional<std::string_view> LinuxKeyboardKeys::keyName(std::uint16_t keyCode) const {
  if (const auto name = platform::KeyNames::name(keyCode)) {
    return name;
  }
  const auto linuxKey = KeyCodeTable::linuxKey(keyCode);
  for (const auto& key : linuxOnlyKeys) {
    if (linuxKey == key.linuxKey) {
      return key.name;
    }
  }
  return std::nullopt;
}

std::optional<std::uint16_t> LinuxKeyboardKeys::keyCode(std::string_view name) const {
  if (const auto code = platform::KeyNames::keyCode(name)) {
    return code;
  }
  for (const auto& key : linuxOnlyKeys) {
    if (key.name == name) {
      return KeyCodeTable::keyCode(key.linuxKey);
    }
  }
  return std::nullopt;
}

platform::KeyboardKeys::KeyReading LinuxKeyboardKeys::readKeycode(std::uint32_t xKeycode) const {
  if (xKeycode <= xKeycodeOffset) {
    return {};
  }
  if (xKeycode - xKeycodeOffset > KEY_MAX) {
    return {Reading::nothing};
  }
  const auto linuxKey = static_cast<std::uint16_t>(xKeycode - xKeycodeOffset);
  const auto code = isModifierOrLockKey(linuxKey) ? std::nullopt : KeyCodeTable::keyCode(linuxKey);
  if (!code) {
    return {Reading::nothing};
  }
  return {Reading::key, *code};
}

}  // namespace tactora::lx
