#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "Platform/linux/ProcessLauncher.h"
#include "tests/support/Eventually.h"
#include "tests/support/SourceTree.h"

namespace tactora::lx {
namespace {

// The state letter of /proc/<pid>/stat ('Z' for a zombie), or empty once the pid is gone.
std::string processState(int pid) {
  const std::string stat = testing::readFile("/proc/" + std::to_string(pid) + "/stat");
  const auto paren = stat.rfind(')');
  return paren == std::string::npos || paren + 2 >= stat.size() ? "" : stat.substr(paren + 2, 1);
}

// A child that ends with any status is reaped (a zombie still has its entry in /proc); a missing
// program is a failure.
TEST(ProcessLauncher, NoChildIsLeftAZombieAndAMissingProgramFails) {
  for (const char* status : {"0", "3"}) {
    const int pid =
        ProcessLauncher::launchDetached("/bin/sh", {"-c", std::string("exit ") + status});
    ASSERT_GT(pid, 0);
    EXPECT_TRUE(testing::eventually([&] { return processState(pid).empty(); }))
        << "state " << processState(pid);
  }
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
