// `tactora monitor` on an emulated mouse: the same lines as `tactora replay` of the recording
// written into the node, and its own --record replays to the same lines again.

#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <string>

#include "Tactora/config/TemporaryDirectory.h"
#include "tests/Platform/linux/EmulatedEvdevNode.h"
#include "tests/support/SourceTree.h"
#include "tests/support/desktop/ChildProcess.h"

namespace tactora::lx::test {
namespace {

// The program with `arguments`, its standard output alone (its log goes to standard error).
std::vector<std::string> tactora(const std::string& arguments) {
  return {"sh", "-c", "exec " TACTORA_EXECUTABLE " " + arguments + " 2>/dev/null"};
}

TEST(Monitor, PrintsWhatTheReplayPrintsAndRecordsWhatReplaysTheSame) {
  EmulatedEvdevNode nodes;
  ASSERT_TRUE(nodes.available()) << "runs under umockdev-wrapper (umockdev's preload library)";
  TemporaryDirectory directory;
  const std::string session = "examples/sessions/tap-drag.evemu";
  const platform::EvemuRecording recording = readSession(session);
  const std::string node = nodes.add(20, recording, {});
  const std::filesystem::path recorded = directory.path() / "recorded.evemu";
  const std::filesystem::path output = directory.path() / "monitor.out";
  testing::ProcessOptions options;
  options.logFile = output.string();
  auto monitor = testing::ChildProcess::start(
      tactora("monitor --device " + node + " --actions --time --record " + recorded.string()),
      options);
  ASSERT_TRUE(monitor);
  // The monitor opens the node, then tries (and releases) a grab to see whether another program
  // holds the mouse: from then on nothing written is lost.
  EXPECT_TRUE(nodes.waitForGrabCalls(20, 2)) << "the monitor never looked at the mouse";
  for (const platform::EvemuRecording::Event& event : recording.events) {
    nodes.write(20, event.type, event.code, event.value, event.timeMicroseconds);
  }
  EXPECT_TRUE(nodes.waitUntilRead(20)) << "the monitor stopped reading";
  monitor->signal(SIGINT);
  EXPECT_EQ(monitor->wait(std::chrono::seconds(30)), 0);

  const auto replay = testing::runProcess(
      tactora("replay --actions --time " + testing::sourceDir() + "/" + session), {});
  const auto again =
      testing::runProcess(tactora("replay --actions --time " + recorded.string()), {});
  EXPECT_EQ((std::pair{replay.status, again.status}), (std::pair{0, 0}));
  EXPECT_FALSE(replay.output.empty());
  EXPECT_EQ(testing::readFile(output), replay.output);
  EXPECT_EQ(again.output, replay.output);
}

}  // namespace
}  // namespace tactora::lx::test
