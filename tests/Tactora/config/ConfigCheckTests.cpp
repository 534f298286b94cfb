#include <sstream>

#include <gtest/gtest.h>

#include "Tactora/config/ConfigCheck.h"
#include "tests/Tactora/config/ConfigTestSupport.h"

namespace tactora {
namespace {

using testing::writeFile;

// The exit status and both outputs of a check, as one text to compare.
std::string result(int status, const std::string& out, const std::string& err) {
  return std::to_string(status) + "\nout: " + out + "\nerr: " + err;
}

class ConfigCheckTest : public ::testing::Test {
 protected:
  std::string check(const std::string& bytes) {
    writeFile(path(), bytes);
    std::ostringstream out, err;
    const int status = ConfigCheck::check(path(), out, err);
    return result(status, out.str(), err.str());
  }
  std::filesystem::path path() const { return temporary_.path() / "config.json"; }
  std::string prefix() const { return "tactora: " + path().string() + ": "; }

  testing::TemporaryDirectory temporary_;
};

TEST_F(ConfigCheckTest, PrintsTheStoredFormAndReportsEverythingLeftOut) {
  const std::string output = check(R"({
    "schemaVersion": 4, "enable": false, "tuning": {"tapMaxTravelMm": 2},
    "profiles": [
      {"bundleIdentifier": "com.example", "bindings": [
        {"trigger": {"gesture": {"tap": {"fingers": 2}}, "modifiers": 1}, "action": {"leftclick": {}}},
        {"trigger": {"gesture": {"tap": {"fingers": 2}}, "modifiers": 0}, "action": {"hideApp": {}}}]},
      {"bundleIdentifier": 7}
    ]})");
  Configuration expected = testing::decoded(R"({"schemaVersion": 4, "profiles": [
      {"bundleIdentifier": "com.example", "bindings": [
        {"trigger": {"gesture": {"tap": {"fingers": 2}}, "modifiers": 0}, "action": {"hideApp": {}}}]}
    ]})")
                               .migrated();
  std::string remarks;
  for (const char* remark :
       {"profiles[0].bindings[0]: binding dropped: action: unknown action \"leftclick\"",
        "profiles[1]: profile dropped: bundleIdentifier: expected a string, found a number",
        "unknown key \"enable\" is ignored", "tuning: unknown key \"tapMaxTravelMm\" is ignored",
        "no All Apps profile (a profile without \"bundleIdentifier\"); an empty one is "
        "added at the end",
        "schemaVersion 4 is migrated to 9 (the application keeps the original as "
        "config.json.v4-backup)"}) {
    remarks += prefix() + remark + "\n";
  }
  EXPECT_EQ(output, result(0, encodeConfiguration(expected), remarks));
}

TEST_F(ConfigCheckTest, UnusableFilesEndWithOneMessageAndUsableOnesPrintTheirStoredForm) {
  const std::string reset =
      "; the application would set this file aside and start from the defaults\n";
  const std::pair<std::string, std::string> cases[] = {
      {"{\n  \"enabled\": false,\n}\n",
       "invalid JSON at line 3, column 1: syntax error while parsing object key - unexpected '}'; "
       "expected string literal (is there a comma after the last member?)" +
           reset},
      {"  \n", "the file is empty; a configuration is a JSON object" + reset},
      {"[1, 2]", "not a configuration: the top level is an array, expected a JSON object" + reset},
      // Wrong types at the top level fail the whole document.
      {R"({"enabled": "yes"})", "enabled: expected a boolean, found a string" + reset},
      {R"({"schemaVersion": 9.5})",
       "schemaVersion: expected an integer, found the number 9.5" + reset},
      {R"({"profiles": {}})", "profiles: expected an array, found an object" + reset},
      {R"({"tuning": {"tapMaxDuration": "long"}})",
       "tuning.tapMaxDuration: expected a number, found a string" + reset},
  };
  for (const auto& [bytes, message] : cases) {
    EXPECT_EQ(check(bytes), result(ConfigCheck::unusableFileStatus, "", prefix() + message));
  }

  // A clean file has no remarks; a newer one shows the defaults it would become.
  const std::string defaults = encodeConfiguration(defaultConfiguration());
  EXPECT_EQ(check(defaults), result(0, defaults, ""));
  EXPECT_EQ(check(R"({"schemaVersion": 10, "enabled": false})"),
            result(0, defaults,
                   prefix() + "schemaVersion 10 is newer than this build supports (9); the "
                              "application would set this file aside and start from the defaults, "
                              "shown below\n"));
}

}  // namespace
}  // namespace tactora
