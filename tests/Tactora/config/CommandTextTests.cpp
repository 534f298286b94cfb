#include "Tactora/config/CommandText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tactora {
namespace {

// What a command hides must show in the import warning, and what draws as itself must stay.
TEST(CommandText, EscapesWhatWouldNotDrawAsItselfAndCutsWithoutHalfAnEscape) {
  const struct {
    std::string command;
    std::string shown;
  } cases[] = {
      {"open -a 'Exposé 🙂' \"$HOME\\x\"", "open -a 'Exposé 🙂' \"$HOME\\x\""},
      {"ls\nrm -rf ~\r\t", "ls\\nrm -rf ~\\r\\t"},
      {"echo \x1b[8mhidden\x7f", "echo \\x1B[8mhidden\\x7F"},
      {"a\u0085b", "a\\u0085b"},                                                  // C1 next line
      {"notify-send hi\u202E; hs | x.ths", "notify-send hi\\u202E; hs | x.ths"},  // override
      {"x\u2066y\u2069\u200Fz\u061C", "x\\u2066y\\u2069\\u200Fz\\u061C"},  // isolates and marks
      {"rm\u200B -rf\u2028~\uFEFF\u00AD", "rm\\u200B -rf\\u2028~\\uFEFF\\u00AD"},  // invisible
      {"bad \xff \xc0\x80 \xed\xa0\x80 \xe2\x80",
       "bad \\xFF \\xC0\\x80 \\xED\\xA0\\x80 \\xE2\\x80"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CommandText::escaped(c.command), c.shown) << c.command;
    bool cut = true;
    EXPECT_EQ(CommandText::shortened(c.command, &cut), c.shown);
    EXPECT_FALSE(cut);
  }

  // A long command is cut saying how much is left.
  constexpr std::size_t limit = CommandText::shownCharacters;
  const std::string letters(limit + 40, 'a');
  bool cut = false;
  EXPECT_EQ(CommandText::shortened(letters, &cut),
            std::string(limit, 'a') + " \u2026 (40 more characters)");
  EXPECT_TRUE(cut);
  EXPECT_EQ(CommandText::shortened(std::string(limit, 'a'), &cut), std::string(limit, 'a'));
  EXPECT_FALSE(cut);

  // An escape that would straddle the limit is left out whole and counted as one character.
  const std::string straddling = std::string(limit - 2, 'a') + "\u202E" + "bc";
  EXPECT_EQ(CommandText::shortened(straddling),
            std::string(limit - 2, 'a') + " \u2026 (3 more characters)");
}

}  // namespace
}  // namespace tactora
