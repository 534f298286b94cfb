#pragma once

#include <QUrl>
#include <QWidget>

#include "Tactora/settings/SettingsContext.h"

class QCheckBox;
class QLabel;
class QPushButton;

namespace tactora::settings {

// The General tab: the application and its version with the update check, the master and
// overlay switches, launch at login, and the open-source licences. The switches of the
// configuration save through the store and the update switches go to the updater; launch at login
// and the licences are the window's to carry out.
class GeneralTab final : public QWidget {
  Q_OBJECT

 public:
  GeneralTab(const SettingsContext& context, QWidget* parent);

  // "Version 0.1.0 (57)".
  static QString versionText();
  // Shows a configuration saved elsewhere (the tray's switch) or by this tab.
  void showConfiguration(const Configuration& configuration);
  // Shows whether Tactora launches at login, without reporting it as a change.
  void showLaunchAtLogin(bool on);

  // Null where this build or installation does not have them.
  QPushButton* checkForUpdatesButton() const { return checkNow_; }
  QCheckBox* checkAutomaticallySwitch() const { return checkAutomatically_; }
  QPushButton* licensesButton() const { return licenses_; }
  QCheckBox* enabledSwitch() const { return enabled_; }
  QCheckBox* overlaySwitch() const { return overlay_; }
  QCheckBox* launchAtLoginSwitch() const { return launchAtLogin_; }
  QLabel* versionLabel() const { return version_; }

 Q_SIGNALS:
  void launchAtLoginToggled(bool on);
  // "Open-Source Licenses": the acknowledgements document, to open with the desktop's viewer.
  void documentRequested(const QUrl& document);

 private:
  QWidget* createAboutSection();
  QWidget* createGesturesSection();
  QWidget* createStartupSection();
  QWidget* createLegalSection();

  template <typename Change>
  void saveConfiguration(Change change);

  SettingsContext context_;
  QPushButton* checkNow_ = nullptr;
  QCheckBox* checkAutomatically_ = nullptr;
  QCheckBox* enabled_ = nullptr;
  QCheckBox* overlay_ = nullptr;
  QCheckBox* launchAtLogin_ = nullptr;
  QPushButton* licenses_ = nullptr;
  QLabel* version_ = nullptr;
  ConfigStore::Subscription subscription_;
};

}  // namespace tactora::settings
