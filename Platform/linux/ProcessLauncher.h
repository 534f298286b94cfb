#pragma once

#include <string>
#include <vector>

namespace tactora::lx {

// Starts child processes that run on their own: standard streams on /dev/null, environment and
// working directory inherited, a session of their own (they outlive Tactora however it ends),
// never waited for by the caller. Each child is reaped when it ends, so none is left as a zombie.
class ProcessLauncher {
 public:
  // `arguments` exclude argv[0], which is `executable`. Returns the child's pid, or -1 when it
  // could not be started.
  static int launchDetached(const std::string& executable,
                            const std::vector<std::string>& arguments);
  // The user's login shell: $SHELL when set and not empty, else "/bin/sh".
  static std::string loginShellFromEnvironment();
};

}  // namespace tactora::lx
