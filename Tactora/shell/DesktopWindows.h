#pragma once

#include <functional>
#include <memory>

#include "Tactora/shell/ShellHooks.h"

namespace tactora::shell {

class MainQueuePlatform;

// The windows and services built beside the shell, behind its hooks: the permissions window, the
// version notice after an update and, in builds with the update check, the appcast updater (which
// becomes the platform's updater, so the menu and the settings reach it the usual way). Each is
// created the first time it is needed and lives as long as this object.
class DesktopWindows {
 public:
  // `quit` ends the application the way "Quit Tactora" does ("Restart Tactora" uses it after
  // starting the new instance).
  DesktopWindows(MainQueuePlatform& platform, std::function<void()> quit);
  ~DesktopWindows();
  DesktopWindows(const DesktopWindows&) = delete;
  DesktopWindows& operator=(const DesktopWindows&) = delete;

  // The hooks over this object; they must not outlive it.
  ShellHooks hooks();

 private:
  struct State;
  std::shared_ptr<State> state_;
};

}  // namespace tactora::shell
