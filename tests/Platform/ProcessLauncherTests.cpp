#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <string>

#include "Platform/linux/ProcessLauncher.h"
#include "tests/support/Eventually.h"
#include "tests/support/SourceTree.h"

namespace tactora::lx {
namespace {

// The state letter of /proc/<pid>/stat ('Z' for a zombie), or empty once the pid is gone.
std::string processState(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) {
    return {};
  }
  const auto paren = line.rfind(')');
  return paren == std::string::npos || paren + 2 >= line.size() ? std::string{}
                                                                : line.substr(paren + 2, 1);
}

// Arguments arrive as given (the text is one argument, the shell interprets it), output goes
// nowhere, and a child that ends with any status is reaped; a missing program is a failure.
TEST(ProcessLauncher, ArgumentsArriveUnchangedAndNoChildIsLeftAZombie) {
  const std::string marker = ::testing::TempDir() + "launcher-marker-" + std::to_string(::getpid());
  for (const char* status : {"0", "3"}) {
    std::remove(marker.c_str());
    const int pid = ProcessLauncher::launchDetached(
        "/bin/sh",
        {"-c", "echo visible; printf '%s' \"$0\" > '" + marker + "'; exit " + status, "arg zero"});
    ASSERT_GT(pid, 0);
    // Reaped: no entry in /proc at all (a zombie still has one).
    EXPECT_TRUE(testing::eventually([&] { return processState(pid).empty(); }))
        << "state " << processState(pid);
    EXPECT_EQ(testing::readFile(marker), "arg zero");
  }
  std::remove(marker.c_str());
  EXPECT_EQ(ProcessLauncher::launchDetached("/nonexistent/tactora-no-such-program", {}), -1);
}

// A launcher that ends with its whole process group (a Ctrl-C or hang-up of its terminal, a
// kill of the group) leaves what it launched running.
TEST(ProcessLauncher, ALaunchedProgramOutlivesItsLauncherWhateverEndsIt) {
  for (int signal : {SIGINT, SIGHUP, SIGKILL}) {
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    const pid_t launcher = ::fork();
    ASSERT_GE(launcher, 0);
    if (launcher == 0) {
      ::setpgid(0, 0);  // a job of its own, as a shell starts it
      const int pid = ProcessLauncher::launchDetached("/bin/sleep", {"30"});
      [[maybe_unused]] const auto written = ::write(pipeFds[1], &pid, sizeof pid);
      ::pause();
      ::_exit(0);
    }
    int launched = -1;
    ASSERT_EQ(::read(pipeFds[0], &launched, sizeof launched),
              static_cast<ssize_t>(sizeof launched));
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    ASSERT_GT(launched, 0);
    ::kill(-launcher, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(launcher, &status, 0), launcher);
    EXPECT_TRUE(WIFSIGNALED(status));
    const std::string state = processState(launched);
    EXPECT_TRUE(!state.empty() && state != "Z") << "signal " << signal << ": state " << state;
    ::kill(launched, SIGKILL);
  }
}

}  // namespace
}  // namespace tactora::lx
