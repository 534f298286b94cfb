#pragma once

#include <functional>

namespace tactora {
class AppDelegate;
}

namespace tactora::shell {

// What the shell takes from the windows and services built beside it (settings window,
// permissions window, update controller and notice). Every hook is required, except the update
// check, which builds without it leave out.
struct ShellHooks {
  // Brings the settings window forward.
  std::function<void()> showSettings;
  // Brings the permissions window forward and starts the one-second polling.
  std::function<void(AppDelegate&)> showPermissions;
  // The version-change notice, first thing at launch.
  std::function<void(AppDelegate&)> showUpdateNoticeIfNeeded;
  // A user-initiated update check. Empty in builds without the update check: the menu then has
  // no "Check for Updates…".
  std::function<void()> checkForUpdates;
};

}  // namespace tactora::shell
