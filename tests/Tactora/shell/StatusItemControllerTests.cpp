// The tray menu without a bus: the refresh before every opening, the launch-at-login row, the
// keyboard shortcuts of the menu Qt draws itself (the X11 tray), the delegate's status line on the
// simulated platform, and the launch without any tray. Its rows as tray hosts show them and act on
// them are tested on real hosts (TrayHostTests).

#include "Tactora/shell/StatusItemController.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <QTest>
#include <string>

#include "Platform/sim/SimPlatform.h"
#include "Tactora/AppDelegate.h"
#include "Tactora/shell/DesktopShell.h"

namespace tactora::shell {
namespace {

class FakeLaunchAtLogin : public LaunchAtLoginSwitch {
 public:
  bool isOn() override { return on; }
  void set(bool value) override { on = value; }
  bool on = false;
};

TEST(StatusItemController, OpeningTheMenuReadsTheSummaryAndTheLoginItemAgain) {
  FakeLaunchAtLogin login;
  StatusItemController controller({.isEnabled = true}, login);
  std::string summary = "No Magic Mouse detected";
  controller.statusSummary = [&] { return summary; };

  // Changed elsewhere while the menu was closed: seen at the next opening.
  login.on = true;
  summary = "Magic Mouse connected";
  Q_EMIT controller.menu().aboutToShow();
  EXPECT_EQ(controller.statusHeaderItem().text(), "Magic Mouse connected");
  EXPECT_TRUE(controller.launchAtLoginItem().isChecked());
  EXPECT_FALSE(controller.statusHeaderItem().isEnabled());

  controller.launchAtLoginItem().trigger();
  EXPECT_FALSE(login.on);
  EXPECT_FALSE(controller.launchAtLoginItem().isChecked());
}

TEST(StatusItemController, ShortcutsWorkWhileTheMenuIsOpen) {
  FakeLaunchAtLogin login;
  StatusItemController controller({.isEnabled = true}, login);
  int settingsOpened = 0;
  controller.onOpenSettings = [&] { ++settingsOpened; };
  int quitRequested = 0;
  controller.onQuit = [&] { ++quitRequested; };

  controller.menu().popup(QPoint(100, 100));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&controller.menu()));
  QTest::keyClick(&controller.menu(), Qt::Key_Comma, Qt::ControlModifier);
  EXPECT_EQ(settingsOpened, 1);

  controller.menu().popup(QPoint(100, 100));
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&controller.menu()));
  QTest::keyClick(&controller.menu(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(quitRequested, 1);
  controller.menu().hide();
}

class DesktopShellTest : public ::testing::Test {
 protected:
  void SetUp() override { desktop_ = sim::SimPlatform::install(); }
  void TearDown() override { app_.reset(); }

  // The case's private bus has no tray host; `x11Tray` says whether an X11 tray stands in.
  std::shared_ptr<DesktopShell> launch(bool x11Tray) {
    DesktopShell::Options options;
    options.launchAtLogin = std::make_shared<FakeLaunchAtLogin>();
    options.x11TrayAvailable = [x11Tray] { return x11Tray; };
    options.notifyWithoutTray = false;
    options.hooks.showPermissions = [this](AppDelegate&) { ++permissionsShown_; };
    auto shell = std::make_shared<DesktopShell>(std::move(options));
    AppDelegate::Options appOptions;
    appOptions.configDirectory = directory_.path().toStdString();
    appOptions.shell = shell;
    app_ = AppDelegate::create(*desktop_, std::move(appOptions));
    app_->applicationDidFinishLaunching();
    return shell;
  }

  QTemporaryDir directory_;
  std::shared_ptr<sim::SimPlatform> desktop_;
  std::shared_ptr<AppDelegate> app_;
  int permissionsShown_ = 0;
};

TEST_F(DesktopShellTest, StatusLineFollowsTheGrantsAndPermissionsOpensTheirWindow) {
  auto shell = launch(true);
  StatusItemController& item = *shell->statusItem();
  Q_EMIT item.menu().aboutToShow();
  EXPECT_EQ(item.statusHeaderItem().text(), "No Magic Mouse detected");

  desktop_->permissions().setAccessibilityTrusted(false);
  Q_EMIT item.menu().aboutToShow();
  EXPECT_EQ(item.statusHeaderItem().text(), "Permissions needed \u2014 open Permissions\u2026");
  for (QAction* action : item.menu().actions()) {
    if (action->text() == "Permissions\u2026") {
      action->trigger();
    }
  }
  EXPECT_EQ(permissionsShown_, 1);

  app_.reset();
  EXPECT_EQ(DesktopShell::statusSummary(nullptr), "Tactora");
}

TEST_F(DesktopShellTest, WithoutAnyTrayTheSettingsWindowOpensAtLaunch) {
  auto shell = launch(false);
  ASSERT_NE(shell->placeholderSettings(), nullptr);
  EXPECT_TRUE(shell->placeholderSettings()->isVisible());
  EXPECT_EQ(shell->placeholderSettings()->windowTitle(), "Tactora Settings");
  EXPECT_EQ(shell->x11TrayIcon(), nullptr);
}

}  // namespace
}  // namespace tactora::shell
