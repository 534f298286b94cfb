// The udev rules we ship: every line is a list of KEY[attribute] OPERATOR "value" clauses that
// udev accepts, with keys that only match compared and the rest assigned.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "tests/support/SourceTree.h"

namespace {

TEST(UdevRules, EveryLineIsValid) {
  static const std::regex clause(
      R"re(\s*([A-Z_]+)(\{[^}]+\})?\s*(==|!=|\+=|-=|:=|=)\s*"[^"\\]*(?:\\.[^"\\]*)*"\s*(,|$))re");
  static const std::set<std::string> matchOnly = {"ACTION", "SUBSYSTEM", "KERNEL", "ATTRS"};
  static const std::set<std::string> assignable = {"ENV", "TAG", "OPTIONS", "GOTO", "LABEL"};
  // The one file: before 70-mouse.rules, which names the mouse for the seat.
  const std::string name = "69-tactora.rules";
  std::ifstream in(std::filesystem::path(tactora::testing::sourceDir()) / "data/udev" / name);
  ASSERT_TRUE(in) << name;
  std::string line;
  for (int number = 1; std::getline(in, line); ++number) {
    const std::string where = name + ":" + std::to_string(number) + ": ";
    std::smatch match;
    for (auto at = line.cbegin(); !line.empty() && line[0] != '#' && at != line.cend();
         at = match[0].second) {
      ASSERT_TRUE(
          std::regex_search(at, line.cend(), match, clause, std::regex_constants::match_continuous))
          << where << "cannot read from: " << std::string(at, line.cend());
      const bool compares = match[3] == "==" || match[3] == "!=";
      EXPECT_TRUE(compares ? matchOnly.count(match[1]) + assignable.count(match[1]) > 0
                           : assignable.count(match[1]) > 0)
          << where << "unknown key or one that cannot be assigned: " << match[1];
    }
  }
}

}  // namespace
