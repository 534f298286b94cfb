#pragma once

#include <QAction>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <functional>
#include <memory>
#include <string>

#include "Tactora/login/LaunchAtLogin.h"

namespace tactora::shell {

// The tray menu and the icon's state: the status line, the gestures and launch-at-login switches,
// the entries that open the settings and permissions windows, the update check and quit. What
// belongs to the rest of the application is asked for through its signals; launch at login is
// switched here directly. The menu is refreshed before every opening. Where the menu and icon show
// (a tray host on the session bus, an X11 tray) is the shell's business: it follows `iconChanged`.
// GUI thread only.
class StatusItemController final : public QObject {
  Q_OBJECT

 public:
  struct Options {
    // Gestures on or off as the menu first shows them (the configuration's `enabled`).
    bool isEnabled = true;
    // Builds without the update check leave "Check for Updates…" out of the menu.
    bool offersUpdateCheck = true;
    // The status line, read before every opening; `defaultHeader` when not set.
    std::function<std::string()> statusSummary;
  };

  StatusItemController(Options options, LaunchAtLogin& launchAtLogin);
  ~StatusItemController() override;

  bool isEnabled() const { return isEnabled_; }
  QMenu& menu() { return *menu_; }
  QAction& statusHeaderItem() { return *statusHeaderItem_; }
  QAction& enabledItem() { return *enabledItem_; }
  QAction& launchAtLoginItem() { return *launchAtLoginItem_; }

  // Header, check marks and icon from the current state; runs before every opening.
  void refresh();

  // The menu's actions.
  void toggleEnabled();
  void toggleLaunchAtLogin();
  void openSettings();
  void openPermissions();
  void checkForUpdates();
  // Asks the application to quit; the program runs the termination sequence once the loop ends.
  void quit();

  // The icon for a state ("cursor with motion lines" on, "cursor with a slash" off, dimmed), and
  // its name in the desktop's icon theme.
  static QIcon icon(bool enabled);
  static QString iconName(bool enabled);
  // What assistive technology reads for the icon.
  static QString accessibleDescription(bool enabled);

  static constexpr const char* defaultHeader = "Tactora";

 Q_SIGNALS:
  // At every refresh, with the state the icon shows.
  void iconChanged(bool enabled);
  // The user switched gestures on or off.
  void enabledToggled(bool enabled);
  void settingsRequested();
  void permissionsRequested();
  void updateCheckRequested();
  void quitRequested();

 protected:
  // Key equivalents of the open menu's items.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QAction* addItem(const QString& title, void (StatusItemController::*action)());

  bool isEnabled_;
  std::function<std::string()> statusSummary_;
  LaunchAtLogin& launchAtLogin_;
  std::unique_ptr<QMenu> menu_;
  QAction* statusHeaderItem_ = nullptr;
  QAction* enabledItem_ = nullptr;
  QAction* launchAtLoginItem_ = nullptr;
};

}  // namespace tactora::shell
