#include "Tactora/shell/DesktopWindows.h"

#include <utility>

#include "Tactora/AppDelegate.h"
#include "Tactora/permissions/PermissionsWindow.h"
#include "Tactora/permissions/Relauncher.h"
#include "Tactora/shell/MainQueuePlatform.h"
#include "Tactora/updates/BuildVersion.h"
#include "Tactora/updates/UpdateController.h"
#include "Tactora/updates/UpdateNotice.h"
#ifdef TACTORA_HAVE_UPDATE_CHECK
#include "Tactora/updates/check/AppcastUpdater.h"
#include "Tactora/updates/check/UpdateAlert.h"
#endif

namespace tactora::shell {

struct DesktopWindows::State {
  MainQueuePlatform& platform;
  std::function<void()> quit;
  std::unique_ptr<PermissionsWindow> permissions;
  std::unique_ptr<UpdateNotice> notice;
#ifdef TACTORA_HAVE_UPDATE_CHECK
  std::unique_ptr<UpdateAlert> alert;
  std::shared_ptr<AppcastUpdater> updater;
  std::unique_ptr<UpdateController> controller;
#endif

  State(MainQueuePlatform& platform, std::function<void()> quit)
      : platform(platform), quit(std::move(quit)) {}
  ~State() {
#ifdef TACTORA_HAVE_UPDATE_CHECK
    platform.setUpdater(nullptr);
#endif
  }
};

DesktopWindows::DesktopWindows(MainQueuePlatform& platform, std::function<void()> quit)
    : state_(std::make_shared<State>(platform, std::move(quit))) {
#ifdef TACTORA_HAVE_UPDATE_CHECK
  // Before the application launches, so the menu, the settings and the controller all see it.
  state_->alert = std::make_unique<UpdateAlert>();
  AppcastUpdater::Options options;
  options.bundleFeedURL = BuildVersion::updateFeedURL();
  options.currentVersion = BuildVersion::shortVersion();
  state_->updater = std::make_shared<AppcastUpdater>(platform.preferences(), platform.clock(),
                                                     platform.dispatch().main(), *state_->alert,
                                                     std::move(options));
  platform.setUpdater(state_->updater);
#endif
}

DesktopWindows::~DesktopWindows() = default;

ShellHooks DesktopWindows::hooks() {
  ShellHooks hooks;
  State* state = state_.get();
  hooks.showPermissions = [state](AppDelegate& app) {
    if (!state->permissions) {
      auto options = PermissionsWindow::defaultOptions([state] {
        if (Relauncher::relaunchThisProgram()) {
          state->quit();
        }
      });
      state->permissions =
          std::make_unique<PermissionsWindow>(app.sharedPermissionMonitor(), std::move(options));
    }
    state->permissions->showPermissions();
  };
  // First thing at launch: the notice, then the update controller, which starts the updater.
  hooks.showUpdateNoticeIfNeeded = [state](AppDelegate&) {
    state->notice = std::make_unique<UpdateNotice>(
        state->platform.preferences(), state->platform.dispatch().main(), &state->platform.panels(),
        [&clock = state->platform.clock()] { return clock.uptimeSeconds(); });
    state->notice->showUpdateNoticeIfNeeded(BuildVersion::shortVersion(),
                                            BuildVersion::buildNumber());
#ifdef TACTORA_HAVE_UPDATE_CHECK
    state->controller =
        std::make_unique<UpdateController>(*state->updater, state->platform.preferences());
#endif
  };
#ifdef TACTORA_HAVE_UPDATE_CHECK
  hooks.checkForUpdates = [state] { state->updater->checkForUpdates(); };
#endif
  return hooks;
}

}  // namespace tactora::shell
