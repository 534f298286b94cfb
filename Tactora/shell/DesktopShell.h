#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "Tactora/ApplicationShell.h"
#include "Tactora/shell/LaunchAtLoginSwitch.h"
#include "Tactora/shell/PlaceholderSettingsWindow.h"
#include "Tactora/shell/ShellHooks.h"
#include "Tactora/shell/StatusItemController.h"

class QDBusServiceWatcher;

namespace tactora::shell {

// The application's shell on the desktop: the tray menu wired to the delegate, the permissions
// window and the update check through the hooks, and the fallback when the desktop hosts no tray
// (a notification, a log line, the settings window at launch, the icon once a host appears).
//
// Dock presence: a Linux desktop lists every titled window in its task bar by itself and the
// overlay and notices are tool windows it never lists, so there is no activation policy to keep.
class DesktopShell final : public ApplicationShell {
 public:
  struct Options {
    ShellHooks hooks;
    std::shared_ptr<LaunchAtLoginSwitch> launchAtLogin;
    // Whether the desktop shows tray icons now; QSystemTrayIcon::isSystemTrayAvailable by default.
    std::function<bool()> trayAvailable;
    // Whether to tell the user over org.freedesktop.Notifications when there is no tray.
    bool notifyWithoutTray = true;
  };

  explicit DesktopShell(Options options);
  ~DesktopShell() override;

  void checkVersionNotice(AppDelegate& app) override;
  void setUp(AppDelegate& app) override;
  void showPermissionsIfNeeded(AppDelegate& app) override;

  // Window bookkeeping has nothing to decide on Linux (see the class comment).
  void updateActivationPolicy() {}

  void showSettings();

  // The menu's status line for the delegate: the grants, then whether a mouse is open.
  static std::string statusSummary(AppDelegate* app);

  static constexpr const char* noTrayMessage =
      "Tactora runs without a tray icon: this desktop shows none. On GNOME, install and enable "
      "the AppIndicator and KStatusNotifierItem Support extension "
      "(gnome-shell-extension-appindicator); Tactora's icon then appears by itself.";

  // Empty before `setUp`.
  StatusItemController* statusItem() { return statusItem_.get(); }
  PlaceholderSettingsWindow* placeholderSettings() { return placeholder_.get(); }

 private:
  void presentTray();

  Options options_;
  std::unique_ptr<StatusItemController> statusItem_;
  std::unique_ptr<PlaceholderSettingsWindow> placeholder_;
  std::unique_ptr<QDBusServiceWatcher> hostWatcher_;
  bool toldNoTray_ = false;
};

}  // namespace tactora::shell
