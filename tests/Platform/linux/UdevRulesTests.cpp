// The udev rules we ship: every line is a list of KEY[attribute] OPERATOR "value" clauses that
// udev accepts, with keys that only match compared and the rest assigned, in a file that sorts
// before the seat's and the mouse's own rules.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>

#include "tests/support/SourceTree.h"

namespace {

TEST(UdevRules, EveryLineIsValidAndTheFileSortsBeforeTheSeatAndMouseRules) {
  static const std::regex clause(
      R"re(\s*([A-Z_]+)(\{[^}]+\})?\s*(==|!=|\+=|-=|:=|=)\s*"[^"\\]*(?:\\.[^"\\]*)*"\s*(,|$))re");
  static const std::set<std::string> matchOnly = {"ACTION", "SUBSYSTEM", "KERNEL", "ATTRS"};
  static const std::set<std::string> assignable = {"ENV", "TAG", "OPTIONS", "GOTO", "LABEL"};
  std::size_t files = 0;
  const auto folder = std::filesystem::path(tactora::testing::sourceDir()) / "data" / "udev";
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension() != ".rules") {
      continue;
    }
    ++files;
    EXPECT_LT(std::stoi(name.substr(0, 2)), 70) << name << " must run before 70-mouse.rules";
    std::ifstream in(entry.path());
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      const std::string where = name + ":" + std::to_string(number) + ": ";
      std::smatch match;
      for (auto at = line.cbegin(); !line.empty() && line[0] != '#' && at != line.cend();
           at = match[0].second) {
        ASSERT_TRUE(std::regex_search(at, line.cend(), match, clause,
                                      std::regex_constants::match_continuous))
            << where << "cannot read from: " << std::string(at, line.cend());
        const bool compares = match[3] == "==" || match[3] == "!=";
        EXPECT_TRUE(compares ? matchOnly.count(match[1]) + assignable.count(match[1]) > 0
                             : assignable.count(match[1]) > 0)
            << where << "unknown key or one that cannot be assigned: " << match[1];
      }
    }
  }
  EXPECT_EQ(files, 1u);
}

}  // namespace
