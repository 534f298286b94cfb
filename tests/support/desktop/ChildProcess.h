#pragma once

#include <sys/types.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tactora::testing {

// How a child process of a test starts: its whole environment ("NAME=value"), the user it runs
// as (a test running as root starts desktops that refuse root as an unprivileged user), and the
// file its standard output and error are appended to (empty: /dev/null). Standard input is
// /dev/null.
struct ProcessOptions {
  std::vector<std::string> environment;
  std::optional<uid_t> uid;
  std::optional<gid_t> gid;
  std::string logFile;
  std::string workingDirectory;
};

// A program a test started, in a process group of its own so that stopping it also stops what it
// started (dbus-run-session's bus, a compositor's Xwayland). Stopped when dropped.
class ChildProcess {
 public:
  // Null, with the reason in `error`, when the program cannot be started.
  static std::unique_ptr<ChildProcess> start(const std::vector<std::string>& arguments,
                                             const ProcessOptions& options,
                                             std::string* error = nullptr);
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return pid_; }
  bool isRunning();
  // The exit status once it has ended (128 + the signal's number when a signal ended it);
  // nothing when it is still running after `timeout`.
  std::optional<int> wait(std::chrono::milliseconds timeout);
  // Sends `signal` to the process alone.
  void signal(int signal);
  // SIGTERM to the whole group, then SIGKILL after `grace`; the exit status.
  int stop(std::chrono::milliseconds grace = std::chrono::seconds(5));

 private:
  explicit ChildProcess(pid_t pid) : pid_(pid) {}
  pid_t pid_;
  std::optional<int> status_;
};

// What a program printed (standard output and error together) and how it ended; status -1 when
// it did not end within the timeout (it is then killed).
struct ProcessResult {
  int status = -1;
  std::string output;
};

// Runs a program to its end.
ProcessResult runProcess(const std::vector<std::string>& arguments, ProcessOptions options,
                         std::chrono::milliseconds timeout = std::chrono::seconds(20));

}  // namespace tactora::testing
