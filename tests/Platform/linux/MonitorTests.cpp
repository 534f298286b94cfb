// `tactora monitor` on an emulated mouse: the same lines as `tactora replay` of the recording
// written into the node, and its own --record replays to the same lines again.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/Platform/linux/EmulatedEvdevNode.h"

extern char** environ;

namespace tactora::lx::test {
namespace {

std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Starts `arguments` with standard output into `output`; returns its process id.
pid_t spawn(const std::vector<std::string>& arguments, const std::filesystem::path& output) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, output.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  for (const std::string& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  pid_t pid = -1;
  EXPECT_EQ(posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int waitFor(pid_t pid) {
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

class Monitor : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    if (!nodes_.available()) {
      GTEST_SKIP() << "needs umockdev-wrapper (umockdev's preload library)";
    }
    directory_ =
        std::filesystem::temp_directory_path() / ("tactora-monitor-" + std::to_string(::getpid()));
    std::filesystem::create_directories(directory_);
  }
  void TearDown() override {
    if (!directory_.empty()) {
      std::filesystem::remove_all(directory_);
    }
  }

  EmulatedEvdevNode nodes_;
  std::filesystem::path directory_;
};

TEST_P(Monitor, PrintsWhatTheReplayPrintsAndRecordsWhatReplaysTheSame) {
  const std::string session = GetParam();
  const platform::EvemuRecording recording = readSession(session);
  const std::string node = nodes_.add(20, recording, {});
  const std::filesystem::path recorded = directory_ / "recorded.evemu";
  const pid_t monitor = spawn({TACTORA_EXECUTABLE, "monitor", "--device", node, "--actions",
                               "--time", "--record", recorded.string()},
                              directory_ / "monitor.out");
  // The monitor opens the node, then tries (and releases) a grab to see whether another program
  // holds the mouse: from then on nothing written is lost.
  EXPECT_TRUE(nodes_.waitForGrabCalls(20, 2)) << "the monitor never looked at the mouse";
  for (const platform::EvemuRecording::Event& event : recording.events) {
    nodes_.write(20, event.type, event.code, event.value, event.timeMicroseconds);
  }
  EXPECT_TRUE(nodes_.waitUntilRead(20)) << "the monitor stopped reading";
  // Ended and reaped on every path: a monitor left running would outlive the emulated node.
  EXPECT_EQ(::kill(monitor, SIGINT), 0);
  EXPECT_EQ(waitFor(monitor), 0);

  const char* root = std::getenv("TACTORA_SOURCE_DIR");
  const pid_t replay = spawn({TACTORA_EXECUTABLE, "replay", "--actions", "--time",
                              std::string(root != nullptr ? root : ".") + "/" + session},
                             directory_ / "replay.out");
  EXPECT_EQ(waitFor(replay), 0);
  const pid_t again =
      spawn({TACTORA_EXECUTABLE, "replay", "--actions", "--time", recorded.string()},
            directory_ / "again.out");
  EXPECT_EQ(waitFor(again), 0);

  const std::string expected = readFile(directory_ / "replay.out");
  EXPECT_FALSE(expected.empty());
  EXPECT_EQ(readFile(directory_ / "monitor.out"), expected);
  EXPECT_EQ(readFile(directory_ / "again.out"), expected);
}

INSTANTIATE_TEST_SUITE_P(Sessions, Monitor,
                         ::testing::Values("examples/sessions/real/"
                                           "apple-magic-mouse-1-one-touch.evemu",
                                           "examples/sessions/tap-drag.evemu",
                                           "examples/sessions/native-scroll.evemu"));

}  // namespace
}  // namespace tactora::lx::test
