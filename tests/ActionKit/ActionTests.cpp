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

TEST(ActionCoding, EveryActionRoundTripsThroughJsonText) {
  std::vector<Action> actions;
  for (auto kind : allActionCases) {
    if (kind != Action::Case::keyShortcut && kind != Action::Case::shellCommand) {
      actions.emplace_back(kind);
    }
  }
  actions.push_back(Action::keyShortcut(0, 0));
  actions.push_back(Action::keyShortcut(4, command));
  actions.push_back(Action::keyShortcut(65535, std::numeric_limits<std::uint64_t>::max()));
  actions.push_back(Action::keyShortcut(48, command | 0x20000 | 0x8000000000000001ULL));
  actions.push_back(Action::shellCommand(""));
  actions.push_back(Action::shellCommand("echo \"quoted\"\nls -l\t'x' \\ done"));
  actions.push_back(Action::shellCommand("say Exposé ⌘ 🙂"));
  actions.push_back(Action::shellCommand(std::string("a\0b", 3)));
  ASSERT_EQ(actions.size(), 30u);
  for (const auto& action : actions) {
    const auto text = json::dump(toJson(action), 2);
    auto decoded = decodeText(text);
    ASSERT_TRUE(decoded) << text << ": " << decoded.error().description();
    EXPECT_EQ(*decoded, action) << text;
  }
}

TEST(ActionCoding, WritesOneMemberNamedAfterTheCase) {
  EXPECT_EQ(json::dump(toJson(Action(Action::Case::leftClick))), R"({"leftClick":{}})");
  EXPECT_EQ(json::dump(toJson(Action::keyShortcut(4, command))),
            R"({"keyShortcut":{"keyCode":4,"modifiers":1048576}})");
  EXPECT_EQ(json::dump(toJson(Action::keyShortcut(1, std::numeric_limits<std::uint64_t>::max()))),
            R"({"keyShortcut":{"keyCode":1,"modifiers":18446744073709551615}})");
  EXPECT_EQ(json::dump(toJson(Action::shellCommand("open -a Calculator"))),
            R"({"shellCommand":{"_0":"open -a Calculator"}})");
}

TEST(ActionCoding, IgnoresMembersThatNameNoCase) {
  for (const auto* text :
       {R"({"leftClick":{}})", R"({"leftClick":{},"comment":"x"})", R"({"leftClick":{"x":1}})"}) {
    auto decoded = decodeText(text);
    ASSERT_TRUE(decoded) << text;
    EXPECT_EQ(*decoded, Action(Action::Case::leftClick)) << text;
  }
}

TEST(ActionCoding, FailuresSayWhereAndWhat) {
  EXPECT_EQ(failureOf(R"({"launchApp":{}})"), "Invalid number of keys found, expected one.");
  EXPECT_EQ(failureOf(R"({"shellCommand":{"command":"ls"}})"), R"(shellCommand: missing key "_0")");
  EXPECT_EQ(failureOf(R"({"shellCommand":{"_0":["ls"]}})"),
            "shellCommand._0: expected a string, found an array");
  EXPECT_EQ(failureOf(R"({"keyShortcut":{"keyCode":4}})"),
            R"(keyShortcut: missing key "modifiers")");
  EXPECT_EQ(failureOf(R"({"keyShortcut":{"keyCode":65536,"modifiers":0}})"),
            "keyShortcut.keyCode: key code 65536 does not fit 0...65535");
  EXPECT_EQ(failureOf(R"({"keyShortcut":{"keyCode":-1,"modifiers":0}})"),
            "keyShortcut.keyCode: number -1 is negative, expected an unsigned integer");
  EXPECT_EQ(failureOf(R"({"keyShortcut":{"keyCode":4.5,"modifiers":0}})"),
            "keyShortcut.keyCode: expected an unsigned integer, found the number 4.5");
  EXPECT_EQ(failureOf(R"({"keyShortcut":{"keyCode":4,"modifiers":18446744073709551616}})"),
            "keyShortcut.modifiers: expected an unsigned integer, found the number "
            "1.8446744073709552e+19");
}

TEST(ActionCoding, IllFormedUtf8IsWrittenWithoutThrowing) {
  // A command that did not come through the JSON reader may hold any bytes.
  const auto action = Action::shellCommand("ls \xff\xfe");
  EXPECT_EQ(action.description(), "shellCommand(\"ls \xEF\xBF\xBD\xEF\xBF\xBD\")");
  const auto text = json::dump(toJson(action), 2);
  auto decoded = decodeText(text);
  ASSERT_TRUE(decoded) << decoded.error().description();
  EXPECT_EQ(decoded->command(), "ls \xEF\xBF\xBD\xEF\xBF\xBD");
}

TEST(ActionEquality, ComparesCaseAndPayload) {
  EXPECT_EQ(Action::keyShortcut(4, command), Action::keyShortcut(4, command));
  EXPECT_NE(Action::keyShortcut(4, command), Action::keyShortcut(4, command | 1));
  EXPECT_NE(Action::keyShortcut(4, command), Action::keyShortcut(5, command));
  EXPECT_NE(Action::shellCommand("ls"), Action::shellCommand("ls "));
  EXPECT_NE(Action::shellCommand(""), Action(Action::Case::none));
  EXPECT_EQ(Action(), Action(Action::Case::none));

  std::set<std::size_t> hashes;
  for (auto kind : allActionCases) {
    hashes.insert(Action(kind).hash());
  }
  EXPECT_EQ(hashes.size(), Action::caseCount);
  EXPECT_EQ(std::hash<Action>{}(Action::shellCommand("ls")),
            std::hash<Action>{}(Action::shellCommand(std::string("ls"))));
  EXPECT_NE(Action::keyShortcut(4, 0).hash(), Action::keyShortcut(4, command).hash());
}

TEST(ActionText, NamesTheCaseAndLabelsThePayload) {
  EXPECT_EQ(Action::keyShortcut(4, command).description(),
            "keyShortcut(keyCode: 4, modifiers: 1048576)");
  EXPECT_EQ(Action::shellCommand("open -a Calculator").description(),
            "shellCommand(\"open -a Calculator\")");
  EXPECT_EQ(Action::shellCommand("say \"hi\"\n").description(), R"(shellCommand("say \"hi\"\n"))");
}

TEST(ActionKinds, BuildTheirOwnCaseAndAreFoundByTheirCaseName) {
  for (const auto kind : allActionKinds) {
    EXPECT_EQ(makeAction(kind, 4, command, "x").kind(), kind);
    EXPECT_EQ(actionKindFromRaw(rawValue(kind)), kind);
  }
  EXPECT_EQ(makeAction(ActionKind::hideApp, 4, command, "x"), Action(Action::Case::hideApp));
  EXPECT_EQ(makeAction(ActionKind::keyShortcut, 4, command, "x"), Action::keyShortcut(4, command));
  EXPECT_EQ(makeAction(ActionKind::shellCommand, 0, 0, ""), Action::shellCommand(""));
  EXPECT_EQ(rawValue(ActionKind::spaceLeft), "spaceLeft");
  EXPECT_FALSE(actionKindFromRaw("SpaceLeft"));
}

// The one table of titles the pickers and the overlay share: distinct, typographic, and in the
// words of a Linux keyboard (no Mac key symbols).
TEST(ActionKinds, TitlesAreDistinctTypographicAndSayLinuxKeys) {
  std::set<std::string_view> titles;
  for (auto kind : allActionKinds) {
    const std::string_view text = title(kind);
    EXPECT_EQ(text.find("..."), std::string_view::npos) << text;
    for (const char* macSymbol : {"\u2318", "\u2325", "\u2303", "\u21E7", "\u21E5"}) {
      EXPECT_EQ(text.find(macSymbol), std::string_view::npos) << text;
    }
    titles.insert(text);
  }
  EXPECT_EQ(titles.size(), allActionKinds.size());
  EXPECT_EQ(title(ActionKind::shellCommand), "Shell Command\u2026");
  EXPECT_EQ(title(ActionKind::navigateBack), "Back (Alt+Left)");
}

}  // namespace
}  // namespace tactora
