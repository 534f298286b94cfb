#include "Platform/linux/ProcessLauncher.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include <thread>

extern char** environ;

namespace tactora::lx {

namespace {

// Owns the spawn attribute objects for the duration of one launch.
struct SpawnSetup {
  posix_spawn_file_actions_t actions{};
  posix_spawnattr_t attributes{};
  bool ok = false;

  SpawnSetup() {
    if (::posix_spawn_file_actions_init(&actions) != 0) {
      return;
    }
    if (::posix_spawnattr_init(&attributes) != 0) {
      ::posix_spawn_file_actions_destroy(&actions);
      return;
    }
    ok = true;
    for (int fd = 0; fd <= 2; ++fd) {
      ok = ok && ::posix_spawn_file_actions_addopen(&actions, fd, "/dev/null",
                                                    fd == 0 ? O_RDONLY : O_WRONLY, 0) == 0;
    }
    // The child starts with no blocked signals and default handlers for the ones a parent
    // commonly ignores, whatever this process has set up for itself.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    sigaddset(&defaults, SIGCHLD);
    sigaddset(&defaults, SIGINT);
    sigaddset(&defaults, SIGTERM);
    // A session of its own: the child has no controlling terminal and is in no process group of
    // ours, so a Ctrl-C or hang-up of the terminal Tactora runs in, or a kill of Tactora's
    // group, ends Tactora and not what it launched.
    ok = ok && ::posix_spawnattr_setsigmask(&attributes, &none) == 0 &&
         ::posix_spawnattr_setsigdefault(&attributes, &defaults) == 0 &&
         ::posix_spawnattr_setflags(
             &attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID) == 0;
  }
  ~SpawnSetup() {
    if (ok) {
      ::posix_spawnattr_destroy(&attributes);
      ::posix_spawn_file_actions_destroy(&actions);
    }
  }
  SpawnSetup(const SpawnSetup&) = delete;
  SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}  // namespace

int ProcessLauncher::launchDetached(const std::string& executable,
                                    const std::vector<std::string>& arguments) {
  SpawnSetup setup;
  if (!setup.ok) {
    return -1;
  }
  std::vector<char*> argv;
  argv.reserve(arguments.size() + 2);
  argv.push_back(const_cast<char*>(executable.c_str()));
  for (const auto& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);

  pid_t pid = -1;
  if (::posix_spawnp(&pid, executable.c_str(), &setup.actions, &setup.attributes, argv.data(),
                     environ) != 0) {
    return -1;
  }
  // Waiting for this one pid (not any child) leaves other children of the process to their own
  // owners; the thread ends when the child does.
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) == -1 && errno == EINTR) {
    }
  }).detach();
  return pid;
}

std::string ProcessLauncher::loginShellFromEnvironment() {
  const char* shell = std::getenv("SHELL");
  return shell != nullptr && *shell != '\0' ? std::string(shell) : std::string("/bin/sh");
}

}  // namespace tactora::lx
