// The tray menu without a bus: the refresh before every opening, the launch-at-login row, the
// keyboard shortcuts of the menu Qt draws itself (the X11 tray), the delegate's status line on the
// simulated platform, and the launch without any tray. Its rows as tray hosts show them and act on
// them are tested on real hosts (TrayHostTests).

#include "Tactora/shell/StatusItemController.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <optional>
#include <string>

#include "Platform/sim/SimPlatform.h"
#include "Platform/sim/provider/SimMultitouch.h"
#include "Tactora/AppDelegate.h"
#include "Tactora/input/MTBridge.h"
#include "Tactora/shell/DesktopShell.h"

namespace tactora::shell {
namespace {

class DesktopShellTest : public ::testing::Test {
 protected:
  // The case's private bus has no tray host; `x11Tray` says whether an X11 tray stands in.
  std::shared_ptr<DesktopShell> launch(bool x11Tray) {
    DesktopShell::Options options;
    options.launchAtLogin = &launchAtLogin_;
    options.x11TrayAvailable = [x11Tray] { return x11Tray; };
    options.notifyWithoutTray = false;
    options.hooks.showSettings = [this] { ++settingsShown_; };
    options.hooks.showPermissions = [this](AppDelegate&) { ++permissionsShown_; };
    options.hooks.showUpdateNoticeIfNeeded = [](AppDelegate&) {};
    auto shell = std::make_shared<DesktopShell>(std::move(options));
    AppDelegate::Options appOptions;
    appOptions.configDirectory = directory_.path().toStdString();
    appOptions.shell = shell;
    app_ = AppDelegate::create(*desktop_, std::move(appOptions));
    app_->applicationDidFinishLaunching();
    return shell;
  }

  QTemporaryDir directory_;
  std::shared_ptr<sim::SimPlatform> desktop_ = sim::SimPlatform::install();
  LaunchAtLogin launchAtLogin_{*desktop_};
  std::shared_ptr<AppDelegate> app_;
  int settingsShown_ = 0;
  int permissionsShown_ = 0;
};

// The launch-at-login row is read again at every opening and switches the login item itself; the
// shortcuts work in the menu Qt draws (the X11 tray's).
TEST_F(DesktopShellTest, LoginRowIsReadAtEachOpeningAndTheShortcutsWorkInQtsMenu) {
  StatusItemController& item = *launch(true)->statusItem();
  QSignalSpy quitRequested(&item, &StatusItemController::quitRequested);
  desktop_->loginItems().setStatus(platform::LoginItemStatus::enabled);
  Q_EMIT item.menu().aboutToShow();
  EXPECT_TRUE(item.launchAtLoginItem().isChecked());
  item.launchAtLoginItem().trigger();
  EXPECT_EQ(desktop_->loginItems().mainAppStatus(), platform::LoginItemStatus::notRegistered);
  EXPECT_FALSE(item.launchAtLoginItem().isChecked());

  for (const Qt::Key key : {Qt::Key_Comma, Qt::Key_Q}) {
    item.menu().popup(QPoint(100, 100));
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&item.menu()));
    QTest::keyClick(&item.menu(), key, Qt::ControlModifier);
  }
  EXPECT_EQ(std::pair(settingsShown_, quitRequested.count()), std::pair(1, 1LL));
  item.menu().hide();
}

TEST_F(DesktopShellTest, StatusLineFollowsTheGrantsAndPermissionsOpensTheirWindow) {
  StatusItemController& item = *launch(true)->statusItem();
  desktop_->permissions().setAccessibilityTrusted(false);
  Q_EMIT item.menu().aboutToShow();
  EXPECT_EQ(item.statusHeaderItem().text(), "Permissions needed \u2014 open Permissions\u2026");
  for (QAction* action : item.menu().actions()) {
    if (action->text() == "Permissions\u2026") {
      action->trigger();
    }
  }
  EXPECT_EQ(permissionsShown_, 1);
}

// The battery joins the line while a mouse is connected and its level is known, follows it without
// the menu opening, and is read again whenever the menu opens.
TEST_F(DesktopShellTest, StatusLineShowsTheMouseBatteryWhenKnown) {
  const std::string provider = sim::SimMultitouch::defaultPath();
  auto multitouch = sim::SimMultitouch::bind(provider);
  ASSERT_TRUE(multitouch.has_value()) << provider;
  multitouch->reset();
  multitouch->addDevice(false);
  MTBridgeSetProviderPath(provider.c_str());
  StatusItemController& item = *launch(true)->statusItem();
  Q_EMIT item.menu().aboutToShow();
  EXPECT_EQ(desktop_->battery().refreshCount(), 1);

  using State = platform::BatteryLevel::State;
  const struct {
    std::optional<platform::BatteryLevel> level;
    const char* line;
  } rows[] = {
      {{{78, State::discharging, "sim"}}, "Magic Mouse connected \u00b7 78 %"},
      {{{100, State::charging, "sim"}}, "Magic Mouse connected \u00b7 100 % \u00b7 charging"},
      {{{100, State::full, "sim"}}, "Magic Mouse connected \u00b7 100 %"},
      {std::nullopt, "Magic Mouse connected"},
  };
  for (const auto& row : rows) {
    desktop_->battery().setLevel(row.level);
    desktop_->timeline().runDue();
    EXPECT_EQ(item.statusHeaderItem().text().toStdString(), row.line);
  }
  app_.reset();
  multitouch->reset();
}

TEST_F(DesktopShellTest, WithoutAnyTrayTheSettingsWindowOpensAtLaunch) {
  EXPECT_EQ(launch(false)->x11TrayIcon(), nullptr);
  EXPECT_EQ(settingsShown_, 1);
}

}  // namespace
}  // namespace tactora::shell
