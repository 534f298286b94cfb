// Every recorded session in examples/sessions replays to the output kept next to it
// (NAME.expected, the output of `tactora replay --actions --time`), so the road from evemu lines
// to gestures, routing, posted events and scroll decisions is covered end to end. Each expected
// file was read and checked by a person once; regenerate them with TACTORA_UPDATE_EXPECTED=1
// after an intended change and review the diff.

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "Tactora/config/FileIO.h"
#include "Tactora/replay/ReplayDriver.h"
#include "support/SourceTree.h"
#include "tools/sessions/SessionSynthesizer.h"

namespace tactora {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> filesWithExtension(const fs::path& directory, const std::string& extension) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::recursive_directory_iterator(directory)) {
    if (entry.is_regular_file() && entry.path().extension() == extension) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

fs::path sessionsDir() {
  return fs::path(testing::sourceDir()) / "examples" / "sessions";
}

struct Replayed {
  int status = -1;
  std::string out;
  std::string err;
};

Replayed replay(const fs::path& recording, ReplayDriver::Options options) {
  std::ostringstream out;
  std::ostringstream err;
  Replayed result;
  result.status = ReplayDriver::run(recording.string(), options, out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

class RecordedSessions : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { testing::locateSimProvider(); }
};

TEST_F(RecordedSessions, EveryRecordingReplaysToItsExpectedOutput) {
  const bool update = std::getenv("TACTORA_UPDATE_EXPECTED") != nullptr;
  const std::vector<fs::path> recordings = filesWithExtension(sessionsDir(), ".evemu");
  ASSERT_GE(recordings.size(), 20u);
  for (const fs::path& recording : recordings) {
    SCOPED_TRACE(recording.string());
    Replayed result = replay(recording, {std::nullopt, /*actions=*/true, /*time=*/true});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    fs::path expectedPath = recording;
    expectedPath.replace_extension(".expected");
    if (update) {
      std::ofstream(expectedPath, std::ios::binary) << result.out;
      continue;
    }
    const Expected<std::string> expected = fileio::readWholeFile(expectedPath);
    ASSERT_TRUE(expected.ok()) << expected.error().description();
    EXPECT_EQ(result.out, *expected);
  }
  // Without --actions and --time: the gestures alone.
  EXPECT_EQ(replay(sessionsDir() / "two-finger-swipe-left.evemu", {}).out,
            "swipeCandidateBegan\nswipe(fingers: 2, direction: left)\n");
}

TEST_F(RecordedSessions, EveryTouchScriptRegeneratesItsRecordingByteForByte) {
  const std::vector<fs::path> scripts = filesWithExtension(sessionsDir(), ".touch");
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

}  // namespace
}  // namespace tactora
