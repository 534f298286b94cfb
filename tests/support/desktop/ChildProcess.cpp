#include "tests/support/desktop/ChildProcess.h"

#include <fcntl.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <thread>

#include "tests/support/SourceTree.h"

extern char** environ;

namespace tactora::testing {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds pollInterval{5};

// The program's path as execve needs it, looked up in the child's PATH as a shell would.
std::string resolve(const std::string& program, const std::vector<std::string>& environment) {
  if (program.find('/') != std::string::npos) {
    return program;
  }
  const auto path = std::ranges::find_if(
      environment, [](const std::string& variable) { return variable.starts_with("PATH="); });
  std::stringstream directories(path != environment.end() ? path->substr(5)
                                                          : "/usr/local/bin:/usr/bin:/bin");
  for (std::string directory; std::getline(directories, directory, ':');) {
    const std::string candidate = directory + "/" + program;
    if (!directory.empty() && ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
  }
  return {};
}

int statusOf(int waitStatus) {
  return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : 128 + WTERMSIG(waitStatus);
}

std::vector<std::string> currentEnvironment() {
  std::vector<std::string> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    environment.emplace_back(*variable);
  }
  return environment;
}

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::start(const std::vector<std::string>& arguments,
                                                  const ProcessOptions& options,
                                                  std::string* error) {
  const auto fail = [error](std::string reason) -> std::unique_ptr<ChildProcess> {
    if (error != nullptr) {
      *error = std::move(reason);
    }
    return nullptr;
  };
  if (arguments.empty()) {
    return fail("no program to start");
  }
  const std::vector<std::string> environment =
      options.environment.empty() ? currentEnvironment() : options.environment;
  const std::string program = resolve(arguments.front(), environment);
  if (program.empty()) {
    return fail(arguments.front() + " is not installed (not found on PATH)");
  }
  // Everything the child needs is made before fork: between fork and exec only async-signal-safe
  // calls are allowed in a threaded program.
  std::vector<char*> argv;
  for (const auto& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (const auto& variable : environment) {
    envp.push_back(const_cast<char*>(variable.c_str()));
  }
  envp.push_back(nullptr);
  const int input = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
  const int output =
      options.logFile.empty()
          ? ::open("/dev/null", O_WRONLY | O_CLOEXEC)
          : ::open(options.logFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  if (input < 0 || output < 0) {
    const std::string reason = std::strerror(errno);
    ::close(input);
    ::close(output);
    return fail("cannot open the output of " + arguments.front() + ": " + reason);
  }
  if (options.uid && !options.logFile.empty()) {
    [[maybe_unused]] const int owned =
        ::fchown(output, *options.uid, options.gid.value_or(static_cast<gid_t>(-1)));
  }
  const char* directory =
      options.workingDirectory.empty() ? nullptr : options.workingDirectory.c_str();

  const pid_t pid = ::fork();
  if (pid == 0) {
    ::setpgid(0, 0);
    ::dup2(input, STDIN_FILENO);
    ::dup2(output, STDOUT_FILENO);
    ::dup2(output, STDERR_FILENO);
    if (options.gid && (::setgroups(0, nullptr) != 0 ||
                        ::setresgid(*options.gid, *options.gid, *options.gid) != 0)) {
      ::_exit(126);
    }
    if (options.uid && ::setresuid(*options.uid, *options.uid, *options.uid) != 0) {
      ::_exit(126);
    }
    if (directory != nullptr && ::chdir(directory) != 0) {
      ::_exit(126);
    }
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(program.c_str(), argv.data(), envp.data());
    ::_exit(127);
  }
  const int forkError = errno;
  ::close(input);
  ::close(output);
  if (pid < 0) {
    return fail(std::string("fork: ") + std::strerror(forkError));
  }
  ::setpgid(pid, pid);  // also from here, so the group exists before we might signal it
  return std::unique_ptr<ChildProcess>(new ChildProcess(pid));
}

ChildProcess::~ChildProcess() {
  stop();
}

bool ChildProcess::isRunning() {
  return !wait(std::chrono::milliseconds(0)).has_value();
}

std::optional<int> ChildProcess::wait(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (!status_) {
    int waitStatus = 0;
    const pid_t ended = ::waitpid(pid_, &waitStatus, WNOHANG);
    if (ended == pid_) {
      status_ = statusOf(waitStatus);
    } else if (ended < 0 && errno != EINTR) {
      status_ = -1;
    } else if (Clock::now() >= deadline) {
      return std::nullopt;
    } else {
      std::this_thread::sleep_for(pollInterval);
    }
  }
  return status_;
}

void ChildProcess::signal(int signal) {
  if (!status_) {
    ::kill(pid_, signal);
  }
}

int ChildProcess::stop(std::chrono::milliseconds grace) {
  if (!status_) {
    ::kill(-pid_, SIGTERM);
    ::kill(pid_, SIGTERM);
    if (!wait(grace)) {
      ::kill(-pid_, SIGKILL);
      ::kill(pid_, SIGKILL);
      wait(std::chrono::seconds(10));
    }
  }
  // What the group started and left behind ends with it.
  ::kill(-pid_, SIGKILL);
  return status_.value_or(-1);
}

ProcessResult runProcess(const std::vector<std::string>& arguments, ProcessOptions options,
                         std::chrono::milliseconds timeout) {
  char pattern[] = "/tmp/tactora-output-XXXXXX";
  const int fd = ::mkstemp(pattern);
  if (fd < 0) {
    return {-1, std::string("mkstemp: ") + std::strerror(errno)};
  }
  ::close(fd);
  options.logFile = pattern;
  ProcessResult result;
  std::string error;
  if (auto process = ChildProcess::start(arguments, options, &error)) {
    const auto status = process->wait(timeout);
    result.status = status.value_or(-1);
    if (!status) {
      process->stop(std::chrono::milliseconds(500));
    }
    result.output = readFile(pattern);
  } else {
    result.output = error;
  }
  std::filesystem::remove(pattern);
  return result;
}

}  // namespace tactora::testing
