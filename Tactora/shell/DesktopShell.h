#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Tactora/ApplicationShell.h"
#include "Tactora/login/LaunchAtLogin.h"
#include "Tactora/shell/ShellHooks.h"
#include "Tactora/shell/StatusItemController.h"
#include "Tactora/shell/StatusNotifierItem.h"

class QSystemTrayIcon;

namespace tactora::shell {

// The application's shell on the desktop: the tray menu wired to the delegate, the permissions
// window and the update check through the hooks, and where the icon shows: our own item for the
// tray hosts of the session bus, whenever one is there; Qt's X11 tray icon while none is and an
// X11 tray is; with neither at launch, a log line, a notification and the settings window.
//
// Dock presence: a Linux desktop lists every titled window in its task bar by itself and the
// overlay and notices are tool windows it never lists, so there is no activation policy to keep.
class DesktopShell final : public ApplicationShell {
 public:
  struct Options {
    // Required (see ShellHooks); the constructor refuses a missing one.
    ShellHooks hooks;
    // Switched from the menu; outlives the shell.
    LaunchAtLogin* launchAtLogin = nullptr;
    // Whether an X11 tray (XEmbed) shows Qt's tray icon now; by default, on X11, what
    // QSystemTrayIcon::isSystemTrayAvailable says (asked only while no host of the session bus
    // shows our item, so that Qt's icon never becomes a second item there).
    std::function<bool()> x11TrayAvailable;
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

  // The menu's status line for the delegate: the grants, then whether a mouse is open, and its
  // battery when its level is known.
  static std::string statusSummary(AppDelegate* app);

  // The icon appears by itself once a tray host starts: the item registers whenever one does.
  static constexpr const char* noTrayMessage =
      "Tactora runs without a tray icon: this desktop shows none. On GNOME, install and enable "
      "the AppIndicator and KStatusNotifierItem Support extension "
      "(gnome-shell-extension-appindicator); Tactora's icon then appears by itself.";
  // Without a session bus no tray host can ever reach the item.
  static constexpr const char* noBusTrayMessage =
      "Tactora runs without a tray icon: there is no session bus (DBUS_SESSION_BUS_ADDRESS), "
      "through which tray hosts show it.";

  // Empty before `setUp`.
  StatusItemController* statusItem() { return statusItem_.get(); }
  StatusNotifierItem* notifierItem() { return notifierItem_.get(); }
  // Qt's X11 tray icon; empty until an X11 tray was needed.
  QSystemTrayIcon* x11TrayIcon() { return x11TrayIcon_.get(); }

 private:
  // Connects the menu's requests to the delegate and the hooks.
  void connectMenu(AppDelegate& app);
  void presentTray();
  void showIcon(bool enabled);
  // Where the icon shows after a host of the session bus came, went or answered.
  void hostChanged(bool shown);
  void tellNoTray();

  Options options_;
  std::unique_ptr<StatusItemController> statusItem_;
  std::unique_ptr<StatusNotifierItem> notifierItem_;
  std::unique_ptr<QSystemTrayIcon> x11TrayIcon_;
  // The state the icons show; empty before the first.
  std::optional<bool> shownEnabled_;
  bool launchDecided_ = false;
};

}  // namespace tactora::shell
