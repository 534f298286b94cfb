#include "Tactora/replay/ReplayDriver.h"

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "Tactora/config/ConfigCheck.h"
#include "Tactora/config/Configuration.h"
#include "Tactora/config/TemporaryDirectory.h"
#include "support/SourceTree.h"

namespace tactora {
namespace {

namespace fs = std::filesystem;

// The axes of a real Magic Mouse, and nothing else: enough for the replay to accept a recording.
constexpr const char* header =
    "N: test mouse\n"
    "I: 0005 05ac 030d 0306\n"
    "A: 35 -1100 1258 4 0 26\n"
    "A: 36 -1589 2047 4 0 70\n";

class ReplayDriverTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::locateSimProvider(); }

  void SetUp() override { ASSERT_FALSE(dir_.empty()); }

  fs::path write(const std::string& name, const std::string& text) {
    fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << text;
    return path;
  }

  int run(const fs::path& recording, ReplayDriver::Options options = {}) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = ReplayDriver::run(recording.string(), options, out, err);
    out_ = out.str();
    err_ = err.str();
    return status;
  }

  TemporaryDirectory directory_{"tactora-replay-test"};
  const fs::path& dir_ = directory_.path();
  std::string out_;
  std::string err_;
};

// What cannot be replayed fails at once with one line naming the file (and line) and status 2,
// and nothing else is printed. `replay` and `config check` read through the same code: what is not
// a regular file of a sane size is refused (a FIFO or a device would block or never end).
TEST_F(ReplayDriverTest, WhatCannotBeReadFailsWithOneLineNamingItAndStatusTwo) {
  const fs::path bad = write("bad.evemu", std::string(header) +
                                              "E: 0.000000 0003 0035 0010\n"
                                              "E: 0.00001 0000 0000 0000\n");
  const fs::path keyboard = write("keyboard.evemu", "N: keyboard\nE: 0.000000 0001 001e 0001\n");
  const fs::path session =
      fs::path(testing::sourceDir()) / "examples/sessions/one-finger-tap.evemu";
  const fs::path fifo = dir_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const fs::path huge = write("huge", "");
  fs::resize_file(huge, 64 * 1024 * 1024 + 1);  // sparse
  struct Case {
    fs::path recording;
    std::optional<std::string> config;
    std::string error;
    std::string fileKind = {};  // why a file of this kind is refused, also by `config check`
  };
  const Case cases[] = {
      {bad,
       {},
       bad.string() + ":6: event time must be SECONDS.MICROSECONDS with six digits, not "
                      "'0.00001'"},
      {keyboard,
       {},
       keyboard.string() + ": not a multitouch recording: it has no "
                           "ABS_MT_POSITION_X and ABS_MT_POSITION_Y axes"},
      {session, (dir_ / "no-config.json").string(),
       (dir_ / "no-config.json").string() + ": cannot open: No such file or directory"},
      {dir_ / "missing", {}, "", "No such file or directory"},
      {dir_, {}, "", "is a directory"},
      {fifo, {}, "", "is not a regular file"},
      {"/dev/zero", {}, "", "is not a regular file"},
      {huge, {}, "", "is larger than 64 MiB"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.recording.string());
    const std::string error =
        c.fileKind.empty() ? c.error : c.recording.string() + ": cannot open: " + c.fileKind;
    EXPECT_EQ(run(c.recording, {c.config, true, true}), 2);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(err_, "tactora: " + error + "\n");
    if (!c.fileKind.empty()) {
      std::ostringstream out;
      std::ostringstream err;
      EXPECT_EQ(ConfigCheck::check(c.recording, out, err), ConfigCheck::unusableFileStatus);
      EXPECT_EQ(out.str() + err.str(), "tactora: " + c.recording.string() +
                                           ": cannot read the file: " + c.fileKind + "\n");
    }
  }
}

TEST_F(ReplayDriverTest, ConfigFileIsUsedButNeverWrittenOrAddedTo) {
  Configuration disabled = defaultConfiguration();
  disabled.enabled = false;
  const std::string bytes = encodeConfiguration(disabled);
  fs::path config = write("config.json", bytes);
  fs::path tour = fs::path(testing::sourceDir()) / "examples/sessions/tour.evemu";

  // Gestures off at launch: the pipeline never starts, so nothing is recognised or posted and
  // native scrolling always passes.
  EXPECT_EQ(run(tour, {config.string(), true, false}), 0);
  EXPECT_EQ(err_, "");
  std::istringstream lines(out_);
  int scrolls = 0;
  for (std::string line; std::getline(lines, line); ++scrolls) {
    EXPECT_EQ(line.substr(0, 6), "scroll") << line;
    EXPECT_EQ(line.substr(line.size() - 6), "passed") << line;
  }
  EXPECT_EQ(scrolls, 10);

  std::ifstream file(config, std::ios::binary);
  std::ostringstream after;
  after << file.rdbuf();
  EXPECT_EQ(after.str(), bytes);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);

  // A corrupt file is handled by the store's rules (defaults) and said on standard error.
  fs::path corrupt = write("corrupt.json", "{ not json");
  fs::path tap = fs::path(testing::sourceDir()) / "examples/sessions/one-finger-tap.evemu";
  EXPECT_EQ(run(tap, {corrupt.string(), false, false}), 0);
  EXPECT_EQ(out_, "tap(fingers: 1)\n");
  EXPECT_NE(err_.find("tactora: config corrupt, resetting to defaults"), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(ReplayDriverTest, LaunchedCommandsAreShownOnOneLineAsAShellWouldReadThem) {
  Configuration configuration = defaultConfiguration();
  for (Profile& profile : configuration.profiles) {
    if (profile.isAllApps()) {
      profile.bindings.insert(
          profile.bindings.begin(),
          GestureBinding{Trigger{GestureEvent::tap(1), {}},
                         Action::shellCommand("echo \"hi\" >~/said\nsay $USER")});
    }
  }
  fs::path config = write("config.json", encodeConfiguration(configuration));
  fs::path tap = fs::path(testing::sourceDir()) / "examples/sessions/one-finger-tap.evemu";
  EXPECT_EQ(run(tap, {config.string(), true, false}), 0);
  const std::string launch = "launch /bin/zsh -lc \"echo \\\"hi\\\" >~/said\\nsay \\$USER\"\n";
  ASSERT_GE(out_.size(), launch.size());
  EXPECT_EQ(out_.substr(out_.size() - launch.size()), launch) << out_;
  EXPECT_EQ(out_.substr(0, 16), "tap(fingers: 1)\n");
}

TEST_F(ReplayDriverTest, ButtonOfAReportReachesTheTapsBeforeThatReportsFrame) {
  // The finger lands in the same report as the press and lifts with the release 90 ms later. The
  // first frame must see the button down, so the touch is a click, never a tap.
  const std::string pressWithTouch = std::string(header) +
                                     "E: 0.000000 0003 002f 0000\n"
                                     "E: 0.000000 0003 0039 0007\n"
                                     "E: 0.000000 0003 0030 0480\n"
                                     "E: 0.000000 0003 0035 0000\n"
                                     "E: 0.000000 0003 0036 0000\n"
                                     "E: 0.000000 0001 0110 0001\n"
                                     "E: 0.000000 0000 0000 0000\n"
                                     "E: 0.090000 0003 0030 0000\n"
                                     "E: 0.090000 0001 0110 0000\n"
                                     "E: 0.090000 0000 0000 0000\n"
                                     "E: 0.101000 0003 0039 -001\n"
                                     "E: 0.101000 0000 0000 0000\n";
  EXPECT_EQ(run(write("click.evemu", pressWithTouch), {std::nullopt, true, false}), 0);
  EXPECT_EQ(out_, "");

  // Without the button the same touch is a tap.
  std::string plain = pressWithTouch;
  for (const char* line : {"E: 0.000000 0001 0110 0001\n", "E: 0.090000 0001 0110 0000\n"}) {
    plain.erase(plain.find(line), std::string(line).size());
  }
  EXPECT_EQ(run(write("tap.evemu", plain)), 0);
  EXPECT_EQ(out_, "tap(fingers: 1)\n");
}

TEST_F(ReplayDriverTest, APauseOfAnyLengthReplaysAtOnceAndChangesNothingButTheClock) {
  // A one-finger tap at `seconds`.
  auto tapAt = [](const std::string& seconds) {
    std::string text;
    for (const char* event :
         {".000000 0003 002f 0000", ".000000 0003 0039 0007", ".000000 0003 0030 0480",
          ".000000 0000 0000 0000", ".090000 0003 0030 0000", ".090000 0000 0000 0000",
          ".101000 0003 0039 -001", ".101000 0000 0000 0000"}) {
      text += "E: " + seconds + event + "\n";
    }
    return text;
  };
  const std::string first = std::string(header) + tapAt("0");
  ASSERT_EQ(run(write("minute.evemu", first + tapAt("100")), {std::nullopt, true, false}), 0);
  const std::string expected = out_;
  EXPECT_EQ(expected.find("tap(fingers: 1)"), 0u) << expected;
  // 9.2e12 s, close to the most microseconds a recording's clock can count.
  ASSERT_EQ(run(write("ages.evemu", first + tapAt("9200000000000")), {std::nullopt, true, false}),
            0);
  EXPECT_EQ(out_, expected);
}

TEST_F(ReplayDriverTest, WheelsAreOneScrollEventPerReportWithHiResStepsAddedUp) {
  const std::string wheels = std::string(header) +
                             // Detents and their hi-res twins: the detents count.
                             "E: 0.000000 0002 0008 -001\n"
                             "E: 0.000000 0002 000b -120\n"
                             "E: 0.000000 0000 0000 0000\n"
                             // Half steps alone: nothing until a whole detent has built up.
                             "E: 0.010000 0002 000c 0060\n"
                             "E: 0.010000 0000 0000 0000\n"
                             "E: 0.020000 0002 000c 0060\n"
                             "E: 0.020000 0000 0000 0000\n"
                             // Both axes in one report make one diagonal event.
                             "E: 0.030000 0002 0008 0002\n"
                             "E: 0.030000 0002 0006 -001\n"
                             "E: 0.030000 0000 0000 0000\n";
  EXPECT_EQ(run(write("wheels.evemu", wheels), {std::nullopt, true, true}), 0);
  EXPECT_EQ(out_,
            "0.000 scroll(vertical: -1, horizontal: 0) passed\n"
            "0.020 scroll(vertical: 0, horizontal: 1) passed\n"
            "0.030 scroll(vertical: 2, horizontal: -1) passed\n");
}

}  // namespace
}  // namespace tactora
