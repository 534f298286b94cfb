#include "Platform/linux/posting/ModifierKeys.h"

#include <linux/input-event-codes.h>

namespace tactora::lx {

namespace {

namespace flags = platform::eventFlags;

constexpr ModifierKeys::Entry table[] = {
    {ModifierKeys::ctrl, flags::maskCommand, KEY_LEFTCTRL, KEY_RIGHTCTRL},
    {ModifierKeys::alt, flags::maskAlternate, KEY_LEFTALT, KEY_RIGHTALT},
    {ModifierKeys::super, flags::maskControl, KEY_LEFTMETA, KEY_RIGHTMETA},
    {ModifierKeys::shift, flags::maskShift, KEY_LEFTSHIFT, KEY_RIGHTSHIFT},
};

}  // namespace

std::span<const ModifierKeys::Entry> ModifierKeys::entries() {
  return table;
}

ModifierKeys::Set ModifierKeys::fromFlags(platform::EventFlags flags) {
  Set modifiers = 0;
  for (const auto& entry : table) {
    if ((flags & entry.flag) != 0) {
      modifiers |= entry.modifier;
    }
  }
  return modifiers;
}

platform::EventFlags ModifierKeys::toFlags(Set modifiers) {
  platform::EventFlags result = 0;
  for (const auto& entry : table) {
    if ((modifiers & entry.modifier) != 0) {
      result |= entry.flag;
    }
  }
  return result;
}

std::optional<ModifierKeys::Set> ModifierKeys::modifierOfKey(std::uint16_t linuxKey) {
  for (const auto& entry : table) {
    if (linuxKey == entry.leftKey || linuxKey == entry.rightKey) {
      return entry.modifier;
    }
  }
  return std::nullopt;
}

}  // namespace tactora::lx
