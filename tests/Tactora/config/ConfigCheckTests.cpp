#include <sstream>

#include <gtest/gtest.h>

#include "Tactora/config/ConfigCheck.h"
#include "tests/Tactora/config/ConfigTestSupport.h"

namespace tactora {
namespace {

using testing::writeFile;

struct CheckResult {
  int status = 0;
  std::string out;
  std::string err;
};

class ConfigCheckTest : public ::testing::Test {
 protected:
  CheckResult check(const std::string& bytes) {
    const auto path = temporary_.path() / "config.json";
    writeFile(path, bytes);
    std::ostringstream out;
    std::ostringstream err;
    const int status = ConfigCheck::check(path, out, err);
    return {status, out.str(), err.str()};
  }
  std::string prefix() const {
    return "tactora: " + (temporary_.path() / "config.json").string() + ": ";
  }

  testing::TemporaryDirectory temporary_;
};

TEST_F(ConfigCheckTest, PrintsTheStoredFormAndReportsEverythingLeftOut) {
  const auto result = check(R"({
    "schemaVersion": 4, "enable": false, "tuning": {"tapMaxTravelMm": 2},
    "profiles": [
      {"bundleIdentifier": "com.example", "bindings": [
        {"trigger": {"gesture": {"tap": {"fingers": 2}}, "modifiers": 1}, "action": {"leftclick": {}}},
        {"trigger": {"gesture": {"tap": {"fingers": 2}}, "modifiers": 0}, "action": {"hideApp": {}}}]},
      {"bundleIdentifier": 7}
    ]})");
  EXPECT_EQ(result.status, 0);
  Configuration expected = testing::decoded(R"({"schemaVersion": 4, "profiles": [
      {"bundleIdentifier": "com.example", "bindings": [
        {"trigger": {"gesture": {"tap": {"fingers": 2}}, "modifiers": 0}, "action": {"hideApp": {}}}]}
    ]})")
                               .migrated();
  EXPECT_EQ(result.out, encodeConfiguration(expected));
  const std::string p = prefix();
  EXPECT_EQ(
      result.err,
      p + "profiles[0].bindings[0]: binding dropped: action: unknown action \"leftclick\"\n" + p +
          "profiles[1]: profile dropped: bundleIdentifier: expected a string, found a number\n" +
          p + "unknown key \"enable\" is ignored\n" + p +
          "tuning: unknown key \"tapMaxTravelMm\" is ignored\n" + p +
          "no All Apps profile (a profile without \"bundleIdentifier\"); an empty one is added at "
          "the end\n" +
          p +
          "schemaVersion 4 is migrated to 9 (the application keeps the original as "
          "config.json.v4-backup)\n");
}

TEST_F(ConfigCheckTest, UnusableFilesEndWithOneMessageNamingFileAndProblem) {
  const std::string reset =
      "; the application would set this file aside and start from the defaults\n";
  struct Case {
    std::string bytes;
    std::string message;
  };
  const Case cases[] = {
      {"{\n  \"enabled\": false,\n}\n",
       "invalid JSON at line 3, column 1: syntax error while parsing object key - unexpected '}'; "
       "expected string literal (is there a comma after the last member?)" +
           reset},
      {"  \n", "the file is empty; a configuration is a JSON object" + reset},
      {"[1, 2]", "not a configuration: the top level is an array, expected a JSON object" + reset},
      {R"({"enabled": "yes"})", "enabled: expected a boolean, found a string" + reset},
  };
  for (const auto& each : cases) {
    const auto result = check(each.bytes);
    EXPECT_EQ(result.status, ConfigCheck::unusableFileStatus);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, prefix() + each.message);
  }
}

TEST_F(ConfigCheckTest, ACleanFileHasNoRemarksAndANewerOneShowsTheDefaultsItWouldBecome) {
  const auto clean = check(encodeConfiguration(defaultConfiguration()));
  EXPECT_EQ(clean.status, 0);
  EXPECT_EQ(clean.out, encodeConfiguration(defaultConfiguration()));
  EXPECT_EQ(clean.err, "");

  const auto newer = check(R"({"schemaVersion": 10, "enabled": false})");
  EXPECT_EQ(newer.status, 0);
  EXPECT_EQ(newer.out, encodeConfiguration(defaultConfiguration()));
  EXPECT_EQ(newer.err, prefix() +
                           "schemaVersion 10 is newer than this build supports (9); the "
                           "application would set this file aside and start from the defaults, "
                           "shown below\n");
}

}  // namespace
}  // namespace tactora
