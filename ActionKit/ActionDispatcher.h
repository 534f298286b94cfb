#pragma once

#include <string>

#include "ActionKit/ActionExecuting.h"
#include "ActionKit/AppSwitcher.h"
#include "ActionKit/CGSBridge.h"
#include "Platform/Platform.h"

namespace tactora {

// Turns each action into its effect on the system: synthesized clicks and key combinations, Dock
// notifications, a replayed space-switch hot key, closing the focused window, a step of the app
// switcher, or a launched shell command. Never logs and never throws; the caller logs.
class ActionDispatcher final : public ActionExecuting {
 public:
  // Uses the process-wide services of the installed platform, looked up at each action.
  ActionDispatcher() = default;
  // Uses `platform`, `appSwitcher` and `bridge` instead (tests).
  ActionDispatcher(platform::Platform& platform, AppSwitcher& appSwitcher, const CGSBridge& bridge);

  void perform(const Action& action) override;

 private:
  // Launches the login shell with "-lc" and `command` as one argument, streams on the null
  // device, without waiting; a failed launch is ignored.
  static void runShellCommand(platform::Platform& platform, const std::string& command);

  platform::Platform* platform_ = nullptr;
  AppSwitcher* appSwitcher_ = nullptr;
  const CGSBridge* bridge_ = nullptr;
};

}  // namespace tactora
