#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "ActionKit/Action.h"
#include "ActionKit/ActionKind.h"
#include "GestureEngine/JsonCoding.h"

namespace tactora {
namespace {

Expected<Action> decodeText(std::string_view text) {
  auto parsed = json::parse(text);
  if (!parsed) {
    return std::move(parsed).error();
  }
  return decodeAction(*parsed);
}

std::string failureOf(std::string_view text) {
  auto decoded = decodeText(text);
  return decoded ? "decoded as " + decoded->description() : decoded.error().description();
}

constexpr std::uint64_t command = 0x100000;

// Every action survives the file; the file's form (one member named after the case) is what
// stored files hold, and members that name nothing are ignored.
TEST(ActionCoding, EveryActionRoundTripsInTheFilesForm) {
  std::vector<Action> actions = {
      Action::keyShortcut(0, 0),
      Action::keyShortcut(65535, std::numeric_limits<std::uint64_t>::max()),
      Action::keyShortcut(48, command | 0x20000 | 0x8000000000000001ULL),
      Action::shellCommand(""),
      Action::shellCommand("echo \"quoted\"\nls -l\t'x' \\ done"),
      Action::shellCommand("say Exposé ⌘ 🙂"),
      Action::shellCommand(std::string("a\0b", 3))};
  for (auto kind : allActionCases) {
    if (kind != Action::Case::keyShortcut && kind != Action::Case::shellCommand) {
      actions.emplace_back(kind);
    }
  }
  for (const auto& action : actions) {
    const auto text = json::dump(toJson(action), 2);
    auto decoded = decodeText(text);
    ASSERT_TRUE(decoded) << text << ": " << decoded.error().description();
    EXPECT_EQ(*decoded, action) << text;
  }
  const std::pair<Action, std::string> written[] = {
      {Action(Action::Case::leftClick), R"({"leftClick":{}})"},
      {Action::keyShortcut(4, command), R"({"keyShortcut":{"keyCode":4,"modifiers":1048576}})"},
      {Action::shellCommand("open -a Calculator"),
       R"({"shellCommand":{"_0":"open -a Calculator"}})"},
  };
  for (const auto& [action, text] : written) {
    EXPECT_EQ(json::dump(toJson(action)), text);
  }
  EXPECT_EQ(*decodeText(R"({"leftClick":{"x":1},"comment":"x"})"), Action(Action::Case::leftClick));

  // A command that did not come through the JSON reader may hold any bytes.
  const auto illFormed = Action::shellCommand("ls \xff\xfe");
  EXPECT_EQ(illFormed.description(), "shellCommand(\"ls \xEF\xBF\xBD\xEF\xBF\xBD\")");
  EXPECT_EQ(decodeText(json::dump(toJson(illFormed)))->command(), "ls \xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(ActionCoding, FailuresSayWhereAndWhat) {
  const std::pair<const char*, const char*> cases[] = {
      {R"({"launchApp":{}})", "Invalid number of keys found, expected one."},
      {R"({"shellCommand":{"command":"ls"}})", R"(shellCommand: missing key "_0")"},
      {R"({"shellCommand":{"_0":["ls"]}})", "shellCommand._0: expected a string, found an array"},
      {R"({"keyShortcut":{"keyCode":4}})", R"(keyShortcut: missing key "modifiers")"},
      {R"({"keyShortcut":{"keyCode":65536,"modifiers":0}})",
       "keyShortcut.keyCode: key code 65536 does not fit 0...65535"},
      {R"({"keyShortcut":{"keyCode":-1,"modifiers":0}})",
       "keyShortcut.keyCode: number -1 is negative, expected an unsigned integer"},
      {R"({"keyShortcut":{"keyCode":4.5,"modifiers":0}})",
       "keyShortcut.keyCode: expected an unsigned integer, found the number 4.5"},
      {R"({"keyShortcut":{"keyCode":4,"modifiers":18446744073709551616}})",
       "keyShortcut.modifiers: expected an unsigned integer, found the number "
       "1.8446744073709552e+19"},
  };
  for (const auto& [text, failure] : cases) {
    EXPECT_EQ(failureOf(text), failure);
  }
}

// Every case and shortcut hashes apart. The pickers' kinds build their own case and are found by
// their name; their titles (shared with the overlay) are distinct, typographic and in the words of
// a Linux keyboard.
TEST(ActionKinds, EachKindBuildsItsCaseAndHasItsOwnLinuxTitle) {
  std::set<std::size_t> hashes;
  for (auto kind : allActionCases) {
    hashes.insert(Action(kind).hash());
  }
  EXPECT_EQ(hashes.size(), Action::caseCount);
  EXPECT_NE(Action::keyShortcut(4, command).hash(), Action::keyShortcut(4, command | 1).hash());
  std::set<std::string_view> titles;
  for (const auto kind : allActionKinds) {
    EXPECT_EQ(makeAction(kind, 4, command, "x").kind(), kind);
    EXPECT_EQ(actionKindFromRaw(rawValue(kind)), kind);
    const std::string_view text = title(kind);
    EXPECT_EQ(text.find("..."), std::string_view::npos) << text;
    for (const char* macSymbol : {"\u2318", "\u2325", "\u2303", "\u21E7", "\u21E5"}) {
      EXPECT_EQ(text.find(macSymbol), std::string_view::npos) << text;
    }
    titles.insert(text);
  }
  EXPECT_EQ(titles.size(), allActionKinds.size());
  EXPECT_EQ(makeAction(ActionKind::keyShortcut, 4, command, "x"), Action::keyShortcut(4, command));
  EXPECT_EQ(makeAction(ActionKind::shellCommand, 0, 0, "ls"), Action::shellCommand("ls"));
  EXPECT_FALSE(actionKindFromRaw("SpaceLeft"));
}

}  // namespace
}  // namespace tactora
