#pragma once

#include <functional>

namespace tactora {
class AppDelegate;
}

namespace tactora::shell {

// What the shell takes from the windows and services built beside it (settings window,
// permissions window, update controller and notice). An empty hook is a feature this build does
// not have yet: the shell then does the documented minimum.
struct ShellHooks {
  // Brings the settings window forward. Empty: a placeholder window titled "Tactora Settings".
  std::function<void()> showSettings;
  // Brings the permissions window forward and starts the one-second polling. Empty: nothing.
  std::function<void(AppDelegate&)> showPermissions;
  // The version-change notice, first thing at launch. Empty: no notice.
  std::function<void(AppDelegate&)> showUpdateNoticeIfNeeded;
  // A user-initiated update check. Empty: the menu has no "Check for Updates…" (builds without
  // the update check).
  std::function<void()> checkForUpdates;
};

}  // namespace tactora::shell
