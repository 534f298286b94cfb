// The translation tables between the configuration's key codes and flags and the kernel's keys,
// and the desktops' chords for the fixed shortcuts, checked as tables.

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <cstdint>
#include <optional>
#include <set>
#include <utility>

#include "Platform/linux/posting/DesktopFamily.h"
#include "Platform/linux/posting/FixedShortcutTable.h"
#include "Platform/linux/posting/KeyCodeTable.h"
#include "Platform/linux/posting/ModifierKeys.h"

namespace tactora::lx {
namespace {

using Code = std::optional<std::uint16_t>;

TEST(KeyCodeTable, EveryEntryReadsBackBothWaysAndNamesItsKeyOnce) {
  std::set<std::uint16_t> keyCodes;
  std::set<std::uint16_t> linuxKeys;
  for (const auto& entry : KeyCodeTable::entries()) {
    SCOPED_TRACE(entry.keyCode);
    EXPECT_EQ(KeyCodeTable::linuxKey(entry.keyCode), Code(entry.linuxKey));
    EXPECT_EQ(KeyCodeTable::keyCode(entry.linuxKey), Code(entry.keyCode));
    EXPECT_TRUE(keyCodes.insert(entry.keyCode).second);
    EXPECT_TRUE(linuxKeys.insert(entry.linuxKey).second);
    EXPECT_FALSE(KeyCodeTable::linuxKey(KeyCodeTable::reservedBase + entry.linuxKey))
        << "a key with an equivalent has no second, reserved code";
  }
}

TEST(KeyCodeTable, KeysOfTheConfigurationFileMapToTheSameKeys) {
  const std::pair<std::uint16_t, std::uint16_t> keys[] = {
      // The recorder's named keys.
      {0, KEY_A},
      {1, KEY_S},
      {6, KEY_Z},
      {11, KEY_B},
      {12, KEY_Q},
      {16, KEY_Y},
      {17, KEY_T},
      {31, KEY_O},
      {35, KEY_P},
      {45, KEY_N},
      {46, KEY_M},
      {18, KEY_1},
      {22, KEY_6},
      {23, KEY_5},
      {25, KEY_9},
      {26, KEY_7},
      {28, KEY_8},
      {29, KEY_0},
      {36, KEY_ENTER},
      {48, KEY_TAB},
      {49, KEY_SPACE},
      {51, KEY_BACKSPACE},
      {53, KEY_ESC},
      {50, KEY_GRAVE},
      {123, KEY_LEFT},
      {124, KEY_RIGHT},
      {125, KEY_DOWN},
      {126, KEY_UP},
      // The fixed shortcuts' keys.
      {4, KEY_H},
      {13, KEY_W},
      {24, KEY_EQUAL},
      {27, KEY_MINUS},
      {30, KEY_RIGHTBRACE},
      {33, KEY_LEFTBRACE},
      // Function keys, out of order in the configuration's numbering.
      {122, KEY_F1},
      {120, KEY_F2},
      {99, KEY_F3},
      {118, KEY_F4},
      {96, KEY_F5},
      {97, KEY_F6},
      {98, KEY_F7},
      {100, KEY_F8},
      {101, KEY_F9},
      {109, KEY_F10},
      {103, KEY_F11},
      {111, KEY_F12},
      {105, KEY_F13},
      {107, KEY_F14},
      {113, KEY_F15},
      {106, KEY_F16},
      {64, KEY_F17},
      {79, KEY_F18},
      {80, KEY_F19},
      {90, KEY_F20},
      // Navigation.
      {115, KEY_HOME},
      {119, KEY_END},
      {116, KEY_PAGEUP},
      {121, KEY_PAGEDOWN},
      {117, KEY_DELETE},
      {114, KEY_INSERT},
      // Keypad.
      {82, KEY_KP0},
      {92, KEY_KP9},
      {65, KEY_KPDOT},
      {67, KEY_KPASTERISK},
      {69, KEY_KPPLUS},
      {75, KEY_KPSLASH},
      {76, KEY_KPENTER},
      {78, KEY_KPMINUS},
      {81, KEY_KPEQUAL},
      // Modifier keys follow the modifier convention.
      {55, KEY_LEFTCTRL},
      {54, KEY_RIGHTCTRL},
      {58, KEY_LEFTALT},
      {59, KEY_LEFTMETA},
      {56, KEY_LEFTSHIFT},
  };
  for (const auto& [keyCode, linuxKey] : keys) {
    EXPECT_EQ(KeyCodeTable::linuxKey(keyCode), Code(linuxKey)) << keyCode;
  }
}

TEST(KeyCodeTable, EveryKeyboardKeyRoundTripsAndOthersHaveNoCode) {
  int reserved = 0;
  for (std::uint32_t key = 0; key <= KEY_CNT + 10; ++key) {
    const auto linuxKey = static_cast<std::uint16_t>(key);
    const Code code = KeyCodeTable::keyCode(linuxKey);
    if (!KeyCodeTable::isKeyboardKey(linuxKey)) {
      EXPECT_FALSE(code) << key;
      continue;
    }
    ASSERT_TRUE(code) << key;
    EXPECT_EQ(KeyCodeTable::linuxKey(*code), Code(linuxKey)) << key;
    if (*code >= KeyCodeTable::reservedBase) {
      EXPECT_EQ(*code, KeyCodeTable::reservedBase + key);
      ++reserved;
    }
  }
  EXPECT_GT(reserved, 400) << "media, browser and macro keys are all reachable";
  EXPECT_EQ(KeyCodeTable::keyCode(KEY_HELP), Code(KeyCodeTable::reservedBase + KEY_HELP));
  EXPECT_EQ(KeyCodeTable::keyCode(KEY_PLAYPAUSE), Code(0x1000 + 164));

  for (const std::uint32_t notAKey : {KEY_RESERVED, BTN_LEFT, BTN_TOUCH, BTN_GEAR_UP, BTN_DPAD_UP,
                                      BTN_TRIGGER_HAPPY1, KEY_MAX + 1}) {
    EXPECT_FALSE(KeyCodeTable::keyCode(static_cast<std::uint16_t>(notAKey))) << notAKey;
  }
}

TEST(KeyCodeTable, CodesThatNameNoKeyPostNothing) {
  for (const std::uint32_t unknown :
       {52u, 66u, 68u, 70u, 77u, 102u, 104u, 108u, 112u, 127u, 0x80u, 0xFFFu,
        0x1000u + KEY_RESERVED, 0x1000u + BTN_LEFT, 0x1000u + KEY_MAX + 1, 0xFFFFu}) {
    EXPECT_FALSE(KeyCodeTable::linuxKey(static_cast<std::uint16_t>(unknown))) << unknown;
  }
}

TEST(ModifierKeys, FlagsAndKeysFollowTheConventionBothWays) {
  const std::tuple<std::uint64_t, ModifierKeys::Set, std::uint16_t, std::uint16_t> table[] = {
      {0x100000, ModifierKeys::ctrl, KEY_LEFTCTRL, KEY_RIGHTCTRL},  // Command
      {0x80000, ModifierKeys::alt, KEY_LEFTALT, KEY_RIGHTALT},      // Option
      {0x40000, ModifierKeys::super, KEY_LEFTMETA, KEY_RIGHTMETA},  // Control
      {0x20000, ModifierKeys::shift, KEY_LEFTSHIFT, KEY_RIGHTSHIFT},
  };
  for (const auto& [flag, modifier, left, right] : table) {
    EXPECT_EQ(ModifierKeys::fromFlags(flag), modifier);
    EXPECT_EQ(ModifierKeys::toFlags(modifier), flag);
    EXPECT_EQ(ModifierKeys::modifierOfKey(left), modifier);
    EXPECT_EQ(ModifierKeys::modifierOfKey(right), modifier);
  }
  for (ModifierKeys::Set set = 0; set < 16; ++set) {
    EXPECT_EQ(ModifierKeys::fromFlags(ModifierKeys::toFlags(set)), set);
  }
  EXPECT_EQ(ModifierKeys::fromFlags(0x10000 | 0x800000 | 0x100000), ModifierKeys::ctrl)
      << "Caps Lock and Fn are no modifiers we hold";
  EXPECT_FALSE(ModifierKeys::modifierOfKey(KEY_CAPSLOCK));
}

TEST(FixedShortcutTable, EachDesktopGetsItsOwnChords) {
  using platform::FixedShortcut;
  using Chord = FixedShortcutTable::Chord;
  using M = ModifierKeys;
  const DesktopFamily gnome = DesktopFamily::gnome;
  const DesktopFamily kde = DesktopFamily::kde;
  const DesktopFamily other = DesktopFamily::other;
  const std::tuple<FixedShortcut, DesktopFamily, Chord> table[] = {
      {FixedShortcut::hideApp, gnome, {KEY_H, M::super}},
      {FixedShortcut::hideApp, kde, {KEY_PAGEDOWN, M::super}},
      {FixedShortcut::hideApp, other, {KEY_F9, M::alt}},
      {FixedShortcut::minimizeWindow, gnome, {KEY_H, M::super}},
      {FixedShortcut::minimizeWindow, kde, {KEY_PAGEDOWN, M::super}},
      {FixedShortcut::cycleWindows, gnome, {KEY_GRAVE, M::super}},
      {FixedShortcut::cycleWindows, kde, {KEY_GRAVE, M::alt}},
      {FixedShortcut::zoomIn, other, {KEY_KPPLUS, M::ctrl}},
      {FixedShortcut::zoomOut, kde, {KEY_KPMINUS, M::ctrl}},
      {FixedShortcut::navigateBack, gnome, {KEY_LEFT, M::alt}},
      {FixedShortcut::navigateForward, kde, {KEY_RIGHT, M::alt}},
      {FixedShortcut::appSwitcher, gnome, {KEY_TAB, M::alt}},
      {FixedShortcut::appSwitcherHold, kde, {0, M::alt}},
      {FixedShortcut::appSwitcherForward, other, {KEY_TAB, 0}},
      {FixedShortcut::appSwitcherBackward, gnome, {KEY_TAB, M::shift}},
      {FixedShortcut::closeWindow, kde, {KEY_F4, M::alt}},
  };
  for (const auto& [shortcut, desktop, chord] : table) {
    EXPECT_EQ(FixedShortcutTable::chord(shortcut, desktop), chord)
        << static_cast<int>(shortcut) << " on " << static_cast<int>(desktop);
  }
  for (const auto& row : FixedShortcutTable::rows()) {
    EXPECT_EQ(FixedShortcutTable::chord(row.shortcut, other), row.other);
    // Every chord is a key the virtual keyboard has (or the switcher's bare modifier).
    for (const Chord& chord : {row.gnome, row.kde, row.other}) {
      EXPECT_TRUE(chord.linuxKey == 0 ? chord.modifiers != 0
                                      : KeyCodeTable::isKeyboardKey(chord.linuxKey));
    }
  }
  EXPECT_FALSE(FixedShortcutTable::chord(FixedShortcut::none, gnome));
  EXPECT_FALSE(FixedShortcutTable::chord(static_cast<FixedShortcut>(99), gnome));
  EXPECT_FALSE(FixedShortcutTable::chord(static_cast<FixedShortcut>(-1), gnome));
}

TEST(DesktopFamily, ReadFromAnyEntryOfTheCurrentDesktopList) {
  const std::pair<const char*, DesktopFamily> table[] = {
      {"GNOME", DesktopFamily::gnome},
      {"ubuntu:GNOME", DesktopFamily::gnome},
      {"GNOME-Classic:GNOME", DesktopFamily::gnome},
      {"gnome", DesktopFamily::gnome},
      {"KDE", DesktopFamily::kde},
      {"XFCE", DesktopFamily::other},
      {"GNOME-Flashback", DesktopFamily::other},
      {"", DesktopFamily::other},
      {":", DesktopFamily::other},
      {"X-Cinnamon", DesktopFamily::other},
  };
  for (const auto& [value, family] : table) {
    EXPECT_EQ(desktopFamilyFromCurrentDesktop(value), family) << value;
  }
}

}  // namespace
}  // namespace tactora::lx
