// The translation tables between the configuration's key codes and flags and the kernel's keys,
// the keyboard the settings window names keys by, and the desktops' chords for the fixed
// shortcuts, checked by their properties rather than row by row.

#include <gtest/gtest.h>
#include <libevdev/libevdev.h>
#include <linux/input-event-codes.h>

#include <cctype>
#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "Platform/KeyNames.h"
#include "Platform/linux/posting/DesktopFamily.h"
#include "Platform/linux/posting/FixedShortcutTable.h"
#include "Platform/linux/posting/KeyCodeTable.h"
#include "Platform/linux/posting/LinuxKeyboardKeys.h"
#include "Platform/linux/posting/ModifierKeys.h"

namespace tactora::lx {
namespace {

using Code = std::optional<std::uint16_t>;
using Reading = platform::KeyboardKeys::Reading;
constexpr std::uint32_t xKeycodeOffset = 8;

// Every configuration code names at most one key and reads back from it, so no two codes post the
// same key; every keyboard key has a code (those without an equivalent in the reserved range,
// which stored files hold); buttons and codes beyond the keyboard have none.
TEST(KeyCodeTable, EveryCodeAndEveryKeyboardKeyRoundTrips) {
  std::size_t shared = 0;
  for (std::uint32_t code = 0; code <= 0xFFFF; ++code) {
    if (const Code linuxKey = KeyCodeTable::linuxKey(static_cast<std::uint16_t>(code))) {
      EXPECT_EQ(KeyCodeTable::keyCode(*linuxKey), Code(code)) << code;
      shared += code < KeyCodeTable::reservedBase ? 1 : 0;
    }
  }
  EXPECT_EQ(shared, KeyCodeTable::entries().size());

  int reserved = 0;
  for (std::uint32_t key = 0; key <= KEY_CNT + 10; ++key) {
    const auto linuxKey = static_cast<std::uint16_t>(key);
    const Code code = KeyCodeTable::keyCode(linuxKey);
    ASSERT_EQ(code.has_value(), KeyCodeTable::isKeyboardKey(linuxKey)) << key;
    if (code) {
      EXPECT_EQ(KeyCodeTable::linuxKey(*code), Code(linuxKey)) << key;
      if (*code >= KeyCodeTable::reservedBase) {
        EXPECT_EQ(*code, KeyCodeTable::reservedBase + key);
        ++reserved;
      }
    }
  }
  EXPECT_GT(reserved, 400) << "media, browser and macro keys are all reachable";
  for (const std::uint32_t notAKey : {KEY_RESERVED, BTN_LEFT, BTN_TOUCH, BTN_GEAR_UP, BTN_DPAD_UP,
                                      BTN_TRIGGER_HAPPY1, KEY_MAX + 1}) {
    EXPECT_FALSE(KeyCodeTable::isKeyboardKey(static_cast<std::uint16_t>(notAKey))) << notAKey;
  }
}

// The names the settings window shows against the kernel's own names of the keys they post: a
// name that says one key and posts another records what the user did not press. Names not
// spelled "KEY_" and their upper case, as "|name KEY_NAME":
constexpr std::string_view kernelNames =
    "|Return KEY_ENTER|Enter KEY_KPENTER|Esc KEY_ESC|Del KEY_DELETE|Ins KEY_INSERT"
    "|PgUp KEY_PAGEUP|PgDown KEY_PAGEDOWN|Menu KEY_COMPOSE|Print KEY_SYSRQ|- KEY_MINUS"
    "|= KEY_EQUAL|[ KEY_LEFTBRACE|] KEY_RIGHTBRACE|; KEY_SEMICOLON|' KEY_APOSTROPHE"
    "|` KEY_GRAVE|\\ KEY_BACKSLASH|, KEY_COMMA|. KEY_DOT|/ KEY_SLASH|* KEY_KPASTERISK"
    "|+ KEY_KPPLUS|Volume Up KEY_VOLUMEUP|Volume Down KEY_VOLUMEDOWN|Volume Mute KEY_MUTE"
    "|Toggle Media Play/Pause KEY_PLAYPAUSE|Media Next KEY_NEXTSONG"
    "|Media Previous KEY_PREVIOUSSONG|Monitor Brightness Up KEY_BRIGHTNESSUP"
    "|Monitor Brightness Down KEY_BRIGHTNESSDOWN|";

TEST(LinuxKeyboardKeys, EachNameIsTheKeyItPostsAndThatKeysKeycodeReadsBack) {
  const LinuxKeyboardKeys keyboard;
  std::set<std::string_view> names;
  for (std::uint32_t code = 0; code <= KeyCodeTable::reservedBase + KEY_MAX; ++code) {
    const auto keyCode = static_cast<std::uint16_t>(code);
    const auto name = keyboard.keyName(keyCode);
    if (!name) {
      continue;
    }
    SCOPED_TRACE(std::string(*name));
    EXPECT_TRUE(names.insert(*name).second) << "named twice";
    EXPECT_EQ(keyboard.keyCode(*name), Code(keyCode));
    const Code linuxKey = KeyCodeTable::linuxKey(keyCode);
    ASSERT_TRUE(linuxKey);
    std::string expected = "KEY_";
    for (const char c : *name) {
      expected += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    if (const auto alias = kernelNames.find("|" + std::string(*name) + " KEY_");
        alias != std::string_view::npos) {
      const auto begin = alias + name->size() + 2;
      expected = kernelNames.substr(begin, kernelNames.find('|', begin) - begin);
    }
    EXPECT_STREQ(libevdev_event_code_get_name(EV_KEY, *linuxKey), expected.c_str());
    EXPECT_EQ(keyboard.readKeycode(*linuxKey + xKeycodeOffset),
              (platform::KeyboardKeys::KeyReading{Reading::key, keyCode}));
  }
  EXPECT_EQ(names.size(), platform::KeyNames::entries().size() + 7) << "the Linux keys added";
}

TEST(LinuxKeyboardKeys, ModifierAndLockKeysAloneRecordNothingAndLowCodesAreUnread) {
  const LinuxKeyboardKeys keyboard;
  std::vector<std::uint16_t> silent = {KEY_CAPSLOCK, KEY_NUMLOCK, KEY_SCROLLLOCK, KEY_FN, BTN_LEFT};
  for (const auto& entry : ModifierKeys::entries()) {
    silent.insert(silent.end(), {entry.leftKey, entry.rightKey});
  }
  for (const std::uint16_t key : silent) {
    EXPECT_EQ(keyboard.readKeycode(key + xKeycodeOffset).reading, Reading::nothing) << key;
  }
  EXPECT_EQ(keyboard.readKeycode(0).reading, Reading::unread);
  EXPECT_EQ(keyboard.readKeycode(xKeycodeOffset).reading, Reading::unread);
  EXPECT_EQ(keyboard.readKeycode(KEY_PROG1 + xKeycodeOffset),
            (platform::KeyboardKeys::KeyReading{Reading::key, 0x1000 + KEY_PROG1}));
}

// The convention both ways, and the configuration's own codes of the modifier keys name the keys
// the poster presses for those modifiers.
TEST(ModifierKeys, FlagsAndKeysFollowTheConventionBothWays) {
  const std::tuple<std::uint64_t, ModifierKeys::Set, std::uint16_t, std::uint16_t, Code, Code>
      table[] = {
          {0x100000, ModifierKeys::ctrl, KEY_LEFTCTRL, KEY_RIGHTCTRL, 55, 54},  // Command
          {0x80000, ModifierKeys::alt, KEY_LEFTALT, KEY_RIGHTALT, 58, 61},      // Option
          {0x40000, ModifierKeys::super, KEY_LEFTMETA, KEY_RIGHTMETA, 59, 62},  // Control
          {0x20000, ModifierKeys::shift, KEY_LEFTSHIFT, KEY_RIGHTSHIFT, 56, 60},
      };
  for (const auto& [flag, modifier, left, right, leftCode, rightCode] : table) {
    EXPECT_EQ(ModifierKeys::fromFlags(flag), modifier);
    EXPECT_EQ(ModifierKeys::toFlags(modifier), flag);
    EXPECT_EQ(ModifierKeys::modifierOfKey(left), modifier);
    EXPECT_EQ(ModifierKeys::modifierOfKey(right), modifier);
    EXPECT_EQ(KeyCodeTable::keyCode(left), leftCode);
    EXPECT_EQ(KeyCodeTable::keyCode(right), rightCode);
  }
  for (ModifierKeys::Set set = 0; set < 16; ++set) {
    EXPECT_EQ(ModifierKeys::fromFlags(ModifierKeys::toFlags(set)), set);
  }
  EXPECT_EQ(ModifierKeys::fromFlags(0x10000 | 0x800000 | 0x100000), ModifierKeys::ctrl)
      << "Caps Lock and Fn are no modifiers we hold";
  EXPECT_FALSE(ModifierKeys::modifierOfKey(KEY_CAPSLOCK));
}

// Every fixed shortcut has a chord on every desktop, read from its own row and column, and each
// chord is something the virtual keyboard can press (a key, or the switcher's bare modifier).
TEST(FixedShortcutTable, EveryShortcutHasAPressableChordOnEachDesktop) {
  using platform::FixedShortcut;
  const auto rows = FixedShortcutTable::rows();
  ASSERT_EQ(rows.size(), static_cast<std::size_t>(platform::fixedShortcutCount - 1));
  for (const auto& row : rows) {
    const std::pair<DesktopFamily, FixedShortcutTable::Chord> columns[] = {
        {DesktopFamily::gnome, row.gnome},
        {DesktopFamily::kde, row.kde},
        {DesktopFamily::other, row.other}};
    for (const auto& [desktop, chord] : columns) {
      EXPECT_EQ(FixedShortcutTable::chord(row.shortcut, desktop), chord);
      EXPECT_TRUE(chord.linuxKey == 0 ? chord.modifiers != 0
                                      : KeyCodeTable::isKeyboardKey(chord.linuxKey));
    }
  }
  for (const auto outside :
       {FixedShortcut::none, static_cast<FixedShortcut>(99), static_cast<FixedShortcut>(-1)}) {
    EXPECT_FALSE(FixedShortcutTable::chord(outside, DesktopFamily::gnome));
  }
}

TEST(DesktopFamily, ReadFromAnyEntryOfTheCurrentDesktopList) {
  const std::pair<DesktopFamily, std::vector<const char*>> table[] = {
      {DesktopFamily::gnome, {"GNOME", "ubuntu:GNOME", "GNOME-Classic:GNOME", "gnome"}},
      {DesktopFamily::kde, {"KDE"}},
      {DesktopFamily::other, {"XFCE", "GNOME-Flashback", "", ":", "X-Cinnamon"}}};
  for (const auto& [family, values] : table) {
    for (const char* value : values) {
      EXPECT_EQ(desktopFamilyFromCurrentDesktop(value), family) << value;
    }
  }
}

}  // namespace
}  // namespace tactora::lx
