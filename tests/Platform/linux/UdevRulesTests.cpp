// The udev rules we ship: every line is a list of KEY[attribute] OPERATOR "value" clauses that
// udev accepts, and the rules grant what the program needs.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <string>
#include <vector>

#include "tests/support/SourceTree.h"

namespace {

struct Clause {
  std::string key;
  std::string op;
  std::string value;
};

std::filesystem::path rulesDirectory() {
  return std::filesystem::path(tactora::testing::sourceDir()) / "data" / "udev";
}

// The clauses of one rule line, or an error text.
std::vector<Clause> parse(const std::string& line, std::string* error) {
  static const std::regex clause(
      R"re(\s*([A-Z_]+(?:\{[^}]+\})?)\s*(==|!=|\+=|-=|:=|=)\s*"([^"\\]*(?:\\.[^"\\]*)*)"\s*(,|$))re");
  std::vector<Clause> clauses;
  auto begin = line.cbegin();
  std::smatch match;
  while (begin != line.cend()) {
    if (!std::regex_search(begin, line.cend(), match, clause,
                           std::regex_constants::match_continuous)) {
      *error = "cannot read from: " + std::string(begin, line.cend());
      return {};
    }
    clauses.push_back({match[1], match[2], match[3]});
    begin = match[0].second;
  }
  return clauses;
}

TEST(UdevRules, EveryLineIsValidAndTheFileSortsBeforeTheSeatAndMouseRules) {
  static const std::set<std::string> keys = {"ACTION", "SUBSYSTEM", "KERNEL", "ATTRS", "ENV",
                                             "TAG",    "OPTIONS",   "GOTO",   "LABEL"};
  std::size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(rulesDirectory())) {
    if (entry.path().extension() != ".rules") {
      continue;
    }
    ++files;
    const std::string name = entry.path().filename().string();
    EXPECT_LT(std::stoi(name.substr(0, 2)), 70) << name << " must run before 70-mouse.rules";
    std::ifstream in(entry.path());
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
      if (line.empty() || line[0] == '#') {
        continue;
      }
      std::string error;
      const std::vector<Clause> clauses = parse(line, &error);
      ASSERT_FALSE(clauses.empty()) << name << ":" << number << ": " << error;
      for (const Clause& c : clauses) {
        const std::string key = c.key.substr(0, c.key.find('{'));
        EXPECT_TRUE(keys.count(key)) << name << ":" << number << ": unknown key " << c.key;
        const bool match = c.op == "==" || c.op == "!=";
        const bool assignable =
            key == "ENV" || key == "TAG" || key == "OPTIONS" || key == "GOTO" || key == "LABEL";
        EXPECT_TRUE(match || assignable) << name << ":" << number << ": cannot assign " << c.key;
      }
    }
  }
  EXPECT_EQ(files, 1u);
}

TEST(UdevRules, GrantTheMagicMouseAndUinputAndGiveTheCloneItsBus) {
  const std::string text = tactora::testing::readFile(rulesDirectory() / "69-tactora.rules");
  for (
      const char* expected :
      {R"(ATTRS{id/vendor}=="05ac", ATTRS{id/product}=="030d|0269|0323", TAG+="uaccess")",
       R"(ATTRS{id/vendor}=="004c", ATTRS{id/product}=="0269|0323", TAG+="uaccess")",
       R"(KERNEL=="uinput", SUBSYSTEM=="misc", OPTIONS+="static_node=uinput", TAG+="uaccess")",
       R"(ATTRS{phys}=="tactora-virtual/*", ATTRS{id/bustype}=="0005", ENV{ID_BUS}="bluetooth")"}) {
    EXPECT_NE(text.find(expected), std::string::npos) << expected;
  }
}

}  // namespace
