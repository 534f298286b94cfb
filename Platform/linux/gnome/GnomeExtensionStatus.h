#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "Platform/linux/bus/SessionBus.h"

namespace tactora::lx {

// What GNOME Shell says about our extension (org.gnome.Shell.Extensions): whether the shell has
// found it, enabled it and runs it, and what the user can do when it does not.
struct GnomeExtensionStatus {
  enum class State {
    shellNotAnswering,  // no GNOME Shell on the session bus, or it did not answer
    notInstalled,       // the shell has not found it (not installed, or installed since login)
    disabled,           // found but not enabled
    running,
    outOfDate,  // the build for another generation of GNOME Shell
    failed,     // enabled, but it failed to load or to start
  };

  State state = State::shellNotAnswering;
  std::string error;                  // why it failed, as the shell says
  std::string shellVersion;           // "43.9"
  bool userExtensionsEnabled = true;  // false while the user has turned every extension off

  // Asks the shell.
  static GnomeExtensionStatus read(SessionBus& bus, std::chrono::milliseconds timeout);

  // The folder of the extension's build for `shellVersion` below a data folder:
  // "gnome-42" for GNOME Shell 42 to 44, "gnome-45" for 45 and later.
  static std::string generation(const std::string& shellVersion);

  // One sentence for `tactora doctor`: the state and, unless it runs, exactly what to do.
  // `dataDirectories` are searched for an installed copy the shell has not read yet.
  std::string description(const std::vector<std::string>& dataDirectories) const;
};

}  // namespace tactora::lx
