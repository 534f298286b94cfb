#include "Platform/linux/gnome/GtkAccelerator.h"

#include <gtest/gtest.h>
#include <libevdev/libevdev.h>
#include <linux/input-event-codes.h>

#include <cctype>
#include <set>
#include <string>

#include "Platform/HotKeyValue.h"
#include "Platform/linux/posting/KeyCodeTable.h"

namespace tactora::lx {
namespace {

using namespace platform::hotKeyModifier;

// GNOME's stored accelerators as key codes and hot-key modifiers; text that names no binding
// (empty, disabled, malformed, an unknown key or modifier, not UTF-8) reads as none.
TEST(GtkAccelerator, ReadsGnomeBindingsAsKeyCodesAndHotKeyModifiers) {
  const std::pair<const char*, std::optional<KeyBinding>> cases[] = {
      {"<Super>Page_Up", KeyBinding{116, control}},
      {"<Control><Alt>Left", KeyBinding{123, command | option}},
      {"<Shift><Super>Home", KeyBinding{115, shift | control}},
      {"<Alt>Prior", KeyBinding{116, option}},
      {"KP_Home", KeyBinding{89, 0}},
      {"<Super>Above_Tab", KeyBinding{50, control}},
      // Shift+Tab's own key name brings its Shift along.
      {"<Alt>ISO_Left_Tab", KeyBinding{48, option | shift}},
      // Modifier names in any case, GTK's short forms and the names of the Super key.
      {"<ctrl><SHIFT>T", KeyBinding{17, command | shift}},
      {"<Mod4>Right", KeyBinding{124, control}},
      {"<Hyper>Right", KeyBinding{124, control}},
      {"<Control><Super>Down", KeyBinding{125, command | control}},
      {"  <Super>Left\t", KeyBinding{123, control}},
      {"page_up", KeyBinding{116, 0}},
      // A key without a configuration code of its own keeps its kernel code in the reserved range.
      {"<Super>F24", KeyBinding{KeyCodeTable::reservedBase + KEY_F24, control}},
  };
  for (const auto& [accelerator, expected] : cases) {
    EXPECT_EQ(GtkAccelerator::parse(accelerator), expected) << accelerator;
  }
  for (const char* junk :
       {"", "disabled", "<Super>disabled", "<Super>", "<Super", "Super>Left", "<Bogus>Left",
        "<Super>NoSuchKey", "<Super>Left<Alt>", "<Super>Le ft", "<Super>\xff\xfe", "<\xff>a"}) {
    EXPECT_EQ(GtkAccelerator::parse(junk), std::nullopt) << junk;
  }
}

// Every name of a family is known, names the kernel's key of that name and no other name's key:
// a slip in the table (a name left out, two names on one key, a wrong key) shows here.
TEST(GtkAccelerator, EveryLetterDigitFunctionAndKeypadKeyIsItsOwnKey) {
  std::vector<std::string> names;
  for (char c = 'a'; c <= 'z'; ++c) {
    names.emplace_back(1, c);
  }
  for (char c = '0'; c <= '9'; ++c) {
    names.emplace_back(1, c);
    names.push_back(std::string("KP_") + c);
  }
  for (int f = 1; f <= 24; ++f) {
    names.push_back("F" + std::to_string(f));
  }
  std::set<std::uint16_t> keyCodes;
  for (const std::string& name : names) {
    const std::optional<KeyBinding> binding = GtkAccelerator::parse(name);
    ASSERT_TRUE(binding.has_value()) << name;
    EXPECT_EQ(binding->modifiers, 0u) << name;
    EXPECT_TRUE(keyCodes.insert(binding->keyCode).second) << name << " shares its key";
    std::string kernelName = name.starts_with("KP_") ? "KEY_KP" + name.substr(3) : "KEY_" + name;
    for (char& c : kernelName) {
      c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    EXPECT_STREQ(libevdev_event_code_get_name(EV_KEY, GtkAccelerator::linuxKey(name).value()),
                 kernelName.c_str());
  }
  EXPECT_EQ(GtkAccelerator::linuxKey("A"), GtkAccelerator::linuxKey("a"));
}

}  // namespace
}  // namespace tactora::lx
