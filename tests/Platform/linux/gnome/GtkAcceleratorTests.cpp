#include "Platform/linux/gnome/GtkAccelerator.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <set>
#include <string>

#include "Platform/HotKeyValue.h"
#include "Platform/linux/posting/KeyCodeTable.h"

namespace tactora::lx {
namespace {

using namespace platform::hotKeyModifier;

struct Case {
  const char* accelerator;
  KeyBinding expected;
};

TEST(GtkAccelerator, ReadsGnomeBindingsAsKeyCodesAndHotKeyModifiers) {
  const Case cases[] = {
      {"<Super>Page_Up", {116, control}},
      {"<Control><Alt>Left", {123, command | option}},
      {"<Shift><Super>Home", {115, shift | control}},
      {"<Primary>w", {13, command}},
      {"<Alt>F4", {118, option}},
      {"<Super>Insert", {114, control}},
      {"<Super>space", {49, control}},
      {"<Alt>Prior", {116, option}},
      {"F13", {105, 0}},
      {"<Super>0", {29, control}},
      {"<Super>KP_Enter", {76, control}},
      {"KP_Home", {89, 0}},
      {"<Primary>comma", {43, command}},
      {"<Super>Above_Tab", {50, control}},
      {"<Primary>minus", {27, command}},
      {"<Primary>bracketleft", {33, command}},
      // Shift+Tab's own key name brings its Shift along.
      {"<Alt>ISO_Left_Tab", {48, option | shift}},
      // Modifier names in any case, GTK's short forms and the names of the Super key.
      {"<ctrl><SHIFT>T", {17, command | shift}},
      {"<Mod4>Right", {124, control}},
      {"<Hyper>Right", {124, control}},
      {"<Control><Super>Down", {125, command | control}},
      {"  <Super>Left\t", {123, control}},
      {"page_up", {116, 0}},
      // A key without a configuration code of its own keeps its kernel code in the reserved range.
      {"<Super>F24", {KeyCodeTable::reservedBase + KEY_F24, control}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(GtkAccelerator::parse(c.accelerator), std::optional<KeyBinding>(c.expected))
        << c.accelerator;
  }
}

TEST(GtkAccelerator, NamesNoBindingForEmptyDisabledOrMalformedText) {
  const char* junk[] = {
      "",
      "disabled",
      "<Super>disabled",
      "<Super>",
      "<Super",
      "Super>Left",
      "<Bogus>Left",
      "<Super>NoSuchKey",
      "<Super>Left<Alt>",
      "<Super>Le ft",
      "<Super>\xff\xfe",
      "<\xff>a",
  };
  for (const char* text : junk) {
    EXPECT_EQ(GtkAccelerator::parse(text), std::nullopt) << text;
  }
}

// Every name of a family is known and each names a different key: a slip in the table (a name
// left out, two names on one key) shows here.
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
  }
  EXPECT_EQ(GtkAccelerator::linuxKey("A"), GtkAccelerator::linuxKey("a"));
}

}  // namespace
}  // namespace tactora::lx
