#include "Tactora/replay/ReplayDriver.h"

#include <sys/stat.h>

#include <algorithm>

#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "Tactora/config/ConfigCheck.h"
#include "Tactora/config/Configuration.h"
#include "Tactora/config/FileIO.h"
#include "Tactora/config/TemporaryDirectory.h"
#include "support/SourceTree.h"
#include "tools/sessions/SessionSynthesizer.h"

namespace tactora {
namespace {

namespace fs = std::filesystem;

// The axes of a real Magic Mouse, and nothing else: enough for the replay to accept a recording.
constexpr const char* header =
    "N: test mouse\n"
    "I: 0005 05ac 030d 0306\n"
    "A: 35 -1100 1258 4 0 26\n"
    "A: 36 -1589 2047 4 0 70\n";

fs::path sessionsDir() {
  return fs::path(testing::sourceDir()) / "examples" / "sessions";
}

// Every file with `extension` among the example sessions, sorted.
std::vector<fs::path> sessions(const std::string& extension) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(sessionsDir())) {
    if (entry.is_regular_file() && entry.path().extension() == extension) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

class ReplayDriverTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::locateSimProvider(); }

  fs::path write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ / name, std::ios::binary) << text;
    return dir_ / name;
  }
  // Replays `recording` (by default with --actions and without --time); its output lands in
  // `out_` and `err_`.
  int run(const fs::path& recording, ReplayDriver::Options options = {std::nullopt, true, false}) {
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

// Every recorded session in examples/sessions replays to the output kept next to it
// (NAME.expected, the output of `tactora replay --actions --time`), so the road from evemu lines
// to gestures, routing, posted events and scroll decisions is covered end to end. Each expected
// file was read and checked by a person once; regenerate them with TACTORA_UPDATE_EXPECTED=1
// after an intended change and review the diff.
TEST_F(ReplayDriverTest, EveryRecordingReplaysToItsExpectedOutput) {
  const bool update = std::getenv("TACTORA_UPDATE_EXPECTED") != nullptr;
  const std::vector<fs::path> recordings = sessions(".evemu");
  ASSERT_GE(recordings.size(), 20u);
  for (const fs::path& recording : recordings) {
    SCOPED_TRACE(recording.string());
    ASSERT_EQ(run(recording, {std::nullopt, /*actions=*/true, /*time=*/true}), 0) << err_;
    EXPECT_EQ(err_, "");
    fs::path expectedPath = recording;
    expectedPath.replace_extension(".expected");
    if (update) {
      std::ofstream(expectedPath, std::ios::binary) << out_;
      continue;
    }
    const Expected<std::string> expected = fileio::readWholeFile(expectedPath);
    ASSERT_TRUE(expected.ok()) << expected.error().description();
    EXPECT_EQ(out_, *expected);
  }
  // Without --actions and --time: the gestures alone.
  ASSERT_EQ(run(sessionsDir() / "two-finger-swipe-left.evemu", {}), 0);
  EXPECT_EQ(out_, "swipeCandidateBegan\nswipe(fingers: 2, direction: left)\n");
}

TEST_F(ReplayDriverTest, EveryTouchScriptRegeneratesItsRecordingByteForByte) {
  const std::vector<fs::path> scripts = sessions(".touch");
  ASSERT_GE(scripts.size(), 20u);
  auto loaded = SessionSynthesizer::forRecordingFile(
      (sessionsDir() / SessionSynthesizer::realDeviceRecording).string());
  ASSERT_TRUE(loaded.ok()) << loaded.error().description();
  const SessionSynthesizer& synthesizer = *loaded;
  for (const fs::path& script : scripts) {
    SCOPED_TRACE(script.string());
    auto rendered = synthesizer.renderScriptFile(script.string());
    ASSERT_TRUE(rendered.ok()) << rendered.error().description();
    fs::path recording = script;
    recording.replace_extension(".evemu");
    const Expected<std::string> committed = fileio::readWholeFile(recording);
    ASSERT_TRUE(committed.ok()) << committed.error().description();
    EXPECT_EQ(*rendered, *committed);
  }
}

// What cannot be replayed fails at once with one line naming the file (and line) and status 2,
// and nothing else is printed. `replay` and `config check` read through the same code: what is not
// a regular file of a sane size is refused (a FIFO or a device would block or never end).
TEST_F(ReplayDriverTest, WhatCannotBeReadFailsWithOneLineNamingItAndStatusTwo) {
  const fs::path bad = write("bad.evemu", std::string(header) +
                                              "E: 0.000000 0003 0035 0010\n"
                                              "E: 0.00001 0000 0000 0000\n");
  const fs::path keyboard = write("keyboard.evemu", "N: keyboard\nE: 0.000000 0001 001e 0001\n");
  const fs::path session = sessionsDir() / "one-finger-tap.evemu";
  const fs::path fifo = dir_ / "fifo";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const fs::path huge = write("huge", "");
  fs::resize_file(huge, 64 * 1024 * 1024 + 1);  // sparse
  // What is refused, and why after the name of the file refused; a file of the wrong kind is
  // refused alike by `config check`.
  const std::tuple<fs::path, std::optional<std::string>, std::string> cases[] = {
      {bad, {}, ":6: event time must be SECONDS.MICROSECONDS with six digits, not '0.00001'"},
      {keyboard,
       {},
       ": not a multitouch recording: it has no ABS_MT_POSITION_X and ABS_MT_POSITION_Y axes"},
      {session, (dir_ / "no-config.json").string(), ": cannot open: No such file or directory"},
      {dir_ / "missing", {}, ": cannot open: No such file or directory"},
      {dir_, {}, ": cannot open: is a directory"},
      {fifo, {}, ": cannot open: is not a regular file"},
      {"/dev/zero", {}, ": cannot open: is not a regular file"},
      {huge, {}, ": cannot open: is larger than 64 MiB"},
  };
  for (const auto& [recording, config, problem] : cases) {
    SCOPED_TRACE(recording.string());
    EXPECT_EQ(run(recording, {config, true, true}), 2);
    EXPECT_EQ(out_, "");
    EXPECT_EQ(err_, "tactora: " + config.value_or(recording.string()) + problem + "\n");
    if (!config && problem.starts_with(": cannot open: ")) {
      std::ostringstream out;
      EXPECT_EQ(ConfigCheck::check(recording, out, out), ConfigCheck::unusableFileStatus);
      EXPECT_EQ(out.str(), "tactora: " + recording.string() +
                               ": cannot read the file: " + problem.substr(15) + "\n");
    }
  }
}

// The configuration file is used but never written or added to. A command bound to a tap is
// shown on one line as a shell would read it. Gestures off at launch: the pipeline never starts,
// so nothing is recognised or posted and native scrolling always passes. A corrupt file is handled
// by the store's rules (defaults) and said on standard error.
TEST_F(ReplayDriverTest, ConfigFileIsUsedButNeverWrittenOrAddedTo) {
  Configuration configuration = defaultConfiguration();
  for (Profile& profile : configuration.profiles) {
    if (profile.isAllApps()) {
      profile.bindings.insert(
          profile.bindings.begin(),
          GestureBinding{Trigger{GestureEvent::tap(1), {}},
                         Action::shellCommand("echo \"hi\" >~/said\nsay $USER")});
    }
  }
  const std::string bytes = encodeConfiguration(configuration);
  const fs::path config = write("config.json", bytes);
  configuration.enabled = false;
  const fs::path disabled = write("disabled.json", encodeConfiguration(configuration));
  const fs::path corrupt = write("corrupt.json", "{ not json");
  const fs::path tap = sessionsDir() / "one-finger-tap.evemu";

  EXPECT_EQ(run(tap, {config.string(), true, false}), 0);
  EXPECT_TRUE(out_.starts_with("tap(fingers: 1)\n")) << out_;
  EXPECT_TRUE(out_.ends_with("launch /bin/zsh -lc \"echo \\\"hi\\\" >~/said\\nsay \\$USER\"\n"))
      << out_;
  EXPECT_EQ(run(sessionsDir() / "tour.evemu", {disabled.string(), true, false}), 0);
  EXPECT_EQ(err_, "");
  std::istringstream lines(out_);
  int scrolls = 0;
  for (std::string line; std::getline(lines, line); ++scrolls) {
    EXPECT_TRUE(line.starts_with("scroll") && line.ends_with("passed")) << line;
  }
  EXPECT_EQ(scrolls, 10);
  EXPECT_EQ(run(tap, {corrupt.string(), false, false}), 0);
  EXPECT_EQ(out_, "tap(fingers: 1)\n");
  EXPECT_NE(err_.find("tactora: config corrupt, resetting to defaults"), std::string::npos);

  EXPECT_EQ(testing::readFile(config), bytes);
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 3);
}

// A one-finger touch of 0.1 s at `seconds`; `pressed`, the button goes down in the report the
// finger lands in and up 90 ms later.
std::string touchAt(const std::string& seconds, bool pressed = false) {
  std::string text;
  for (const char* event :
       {".000000 0003 002f 0000", ".000000 0003 0039 0007", ".000000 0003 0030 0480",
        ".000000 0003 0035 0000", ".000000 0003 0036 0000", "B.000000 0001 0110 0001",
        ".000000 0000 0000 0000", ".090000 0003 0030 0000", "B.090000 0001 0110 0000",
        ".090000 0000 0000 0000", ".101000 0003 0039 -001", ".101000 0000 0000 0000"}) {
    if (*event == 'B' && !pressed) {
      continue;
    }
    text += "E: " + seconds + (event + (*event == 'B')) + "\n";
  }
  return text;
}

// The button of a report reaches the taps before that report's frame: the first frame sees it
// down, so the touch is a click, never a tap. A pause of any length replays at once and changes
// nothing but the clock (9.2e12 s is close to the most microseconds a recording can count).
TEST_F(ReplayDriverTest, ButtonsAndPausesOfAnyLengthAreReplayedInOrder) {
  EXPECT_EQ(run(write("click.evemu", header + touchAt("0", true))), 0);
  EXPECT_EQ(out_, "");
  const std::string first = std::string(header) + touchAt("0");
  ASSERT_EQ(run(write("minute.evemu", first + touchAt("100"))), 0);
  const std::string expected = out_;
  EXPECT_EQ(expected.find("tap(fingers: 1)"), 0u) << expected;
  ASSERT_EQ(run(write("ages.evemu", first + touchAt("9200000000000"))), 0);
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
