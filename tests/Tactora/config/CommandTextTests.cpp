#include "Tactora/config/CommandText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tactora {
namespace {

// What a command hides must show in the import warning, and what draws as itself must stay. A long
// command is cut saying how much is left; an escape that would straddle the limit is left out whole
// and counted as one character.
TEST(CommandText, EscapesWhatWouldNotDrawAsItselfAndCutsWithoutHalfAnEscape) {
  const std::string as(CommandText::shownCharacters, 'a');
  const struct {
    std::string command;
    std::string shown;
    bool cut = false;
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
      {as, as},
      {as + std::string(40, 'a'), as + " \u2026 (40 more characters)", true},
      {as.substr(2) + "\u202E" + "bc", as.substr(2) + " \u2026 (3 more characters)", true},
  };
  for (const auto& c : cases) {
    bool cut = !c.cut;
    EXPECT_EQ(CommandText::shortened(c.command, &cut), c.shown) << c.command;
    EXPECT_EQ(cut, c.cut);
    if (!c.cut) {
      EXPECT_EQ(CommandText::escaped(c.command), c.shown);
    }
  }
}

}  // namespace
}  // namespace tactora
