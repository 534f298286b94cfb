#pragma once

#include <functional>
#include <memory>

#include "Platform/Platform.h"
#include "Platform/RunLoop.h"

namespace tactora::shell {

// The application with its tray and windows on Qt's event loop: one instance per session, the
// chosen backend with Qt's loop as its main queue, launch, and quitting from the menu, on SIGINT
// or SIGTERM or when the session ends, always through the termination sequence.
class DesktopApplication {
 public:
  struct Options {
    // Builds the backend once this process is known to be the only instance (creating virtual
    // devices before that would be wasted); its own work for the main thread goes to `mainQueue`
    // (Qt's loop).
    std::function<std::shared_ptr<platform::Platform>(platform::RunLoop& mainQueue)> makeBackend;
    // `tactora settings`: open the settings window after launch.
    bool showSettingsAtStart = false;
    // When set, a start that finds another instance running returns what this returns instead of
    // asking that instance for its settings window (`tactora --play` refuses to run beside it).
    std::function<int()> whenAlreadyRunning;
  };

  // Runs until quit and returns the exit status: 0 after a normal quit, and 0 when another
  // instance was asked to show its settings instead (or `whenAlreadyRunning`'s answer).
  static int run(int argc, char** argv, Options options);
};

}  // namespace tactora::shell
