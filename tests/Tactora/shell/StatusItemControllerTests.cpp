// The tray menu: its items in order, the refresh before every opening, the switches, the keyboard
// shortcuts while it is open, and the delegate's status line on the simulated platform.

#include "Tactora/shell/StatusItemController.h"

#include <gtest/gtest.h>

#include <QSystemTrayIcon>
#include <QTest>
#include <filesystem>
#include <string>
#include <vector>

#include "Platform/sim/SimPlatform.h"
#include "Tactora/AppDelegate.h"
#include "Tactora/shell/DesktopShell.h"
#include "Tactora/shell/LoginItemSwitch.h"

namespace tactora::shell {
namespace {

// What a person sees in the menu: one line per item, "---" for separators, "[x]"/"[ ]" for
// check marks, "(disabled)" for items that cannot be chosen, the shortcut after a tab.
std::vector<std::string> menuLines(QMenu& menu) {
  std::vector<std::string> lines;
  for (QAction* action : menu.actions()) {
    if (action->isSeparator()) {
      lines.push_back("---");
      continue;
    }
    std::string line;
    if (action->isCheckable()) {
      line += action->isChecked() ? "[x] " : "[ ] ";
    }
    line += action->text().toStdString();
    if (!action->shortcut().isEmpty()) {
      line += "\t" + action->shortcut().toString().toStdString();
    }
    if (!action->isEnabled()) {
      line += " (disabled)";
    }
    lines.push_back(line);
  }
  return lines;
}

class FakeLaunchAtLogin : public LaunchAtLoginSwitch {
 public:
  bool isOn() override {
    ++reads;
    return on;
  }
  void set(bool value) override { on = value; }
  bool on = false;
  int reads = 0;
};

TEST(StatusItemController, MenuHasEveryItemInOrderAndTheUpdateCheckOnlyWhenBuiltWithIt) {
  FakeLaunchAtLogin login;
  for (const bool withUpdateCheck : {true, false}) {
    StatusItemController controller(
        {.isEnabled = withUpdateCheck, .offersUpdateCheck = withUpdateCheck}, login);
    std::vector<std::string> expected{
        "Tactora (disabled)",
        "---",
        withUpdateCheck ? "[x] Gestures Enabled" : "[ ] Gestures Enabled",
        "[ ] Launch at Login",
        "---",
        "Settings\u2026\tCtrl+,",
        "Permissions\u2026"};
    if (withUpdateCheck) {
      expected.push_back("Check for Updates\u2026");
    }
    expected.insert(expected.end(), {"---", "Quit Tactora\tCtrl+Q"});
    EXPECT_EQ(menuLines(controller.menu()), expected);
    EXPECT_EQ(controller.menu().accessibleName(),
              withUpdateCheck ? "Tactora: gestures enabled" : "Tactora: gestures disabled");
  }
}

TEST(StatusItemController, TogglingGesturesFlipsCheckIconAndReportsOnce) {
  FakeLaunchAtLogin login;
  StatusItemController controller({.isEnabled = true}, login);
  std::vector<bool> reported;
  controller.onToggleEnabled = [&](bool enabled) { reported.push_back(enabled); };
  std::vector<bool> icons;
  QObject::connect(&controller, &StatusItemController::iconChanged,
                   [&](bool enabled) { icons.push_back(enabled); });

  controller.enabledItem().trigger();
  EXPECT_EQ(reported, std::vector<bool>{false});
  EXPECT_FALSE(controller.isEnabled());
  EXPECT_FALSE(controller.enabledItem().isChecked());
  EXPECT_EQ(controller.menu().accessibleName(), "Tactora: gestures disabled");

  controller.enabledItem().trigger();
  EXPECT_EQ(reported, (std::vector<bool>{false, true}));
  EXPECT_EQ(icons, (std::vector<bool>{false, true}));
  EXPECT_NE(StatusItemController::icon(true).pixmap(22, 22).toImage(),
            StatusItemController::icon(false).pixmap(22, 22).toImage());
}

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

TEST(StatusItemController, LoginItemSwitchFollowsTheServiceStatusAlone) {
  sim::SimPlatform desktop;
  LoginItemSwitch login(desktop);
  EXPECT_FALSE(login.isOn());
  login.set(true);
  EXPECT_TRUE(login.isOn());
  desktop.loginItems().setStatus(platform::LoginItemStatus::requiresApproval);
  EXPECT_FALSE(login.isOn());
  login.set(false);  // already off by the service's account: nothing to undo
  EXPECT_EQ(desktop.loginItems().mainAppStatus(), platform::LoginItemStatus::requiresApproval);
}

class DesktopShellTest : public ::testing::Test {
 protected:
  void SetUp() override {
    directory_ = std::filesystem::temp_directory_path() /
                 ("tactora-shell-" + std::to_string(::getpid()) + "-" +
                  ::testing::UnitTest::GetInstance()->current_test_info()->name());
    desktop_ = sim::SimPlatform::install();
  }
  void TearDown() override {
    app_.reset();
    std::filesystem::remove_all(directory_);
  }

  // The case's private bus has no tray host; `x11Tray` says whether an X11 tray stands in.
  std::shared_ptr<DesktopShell> launch(bool x11Tray) {
    DesktopShell::Options options;
    options.launchAtLogin = std::make_shared<FakeLaunchAtLogin>();
    options.x11TrayAvailable = [x11Tray] { return x11Tray; };
    options.notifyWithoutTray = false;
    options.hooks.showPermissions = [this](AppDelegate&) { ++permissionsShown_; };
    auto shell = std::make_shared<DesktopShell>(std::move(options));
    AppDelegate::Options appOptions;
    appOptions.configDirectory = directory_;
    appOptions.shell = shell;
    app_ = AppDelegate::create(*desktop_, std::move(appOptions));
    app_->applicationDidFinishLaunching();
    return shell;
  }

  std::filesystem::path directory_;
  std::shared_ptr<sim::SimPlatform> desktop_;
  std::shared_ptr<AppDelegate> app_;
  int permissionsShown_ = 0;
};

TEST_F(DesktopShellTest, StatusLineFollowsGrantsAndTheMouse) {
  auto shell = launch(true);
  StatusItemController& item = *shell->statusItem();
  Q_EMIT item.menu().aboutToShow();
  EXPECT_EQ(item.statusHeaderItem().text(), "No Magic Mouse detected");
  EXPECT_EQ(permissionsShown_, 0);

  desktop_->permissions().setAccessibilityTrusted(false);
  Q_EMIT item.menu().aboutToShow();
  EXPECT_EQ(item.statusHeaderItem().text(), "Permissions needed \u2014 open Permissions\u2026");

  app_.reset();
  EXPECT_EQ(DesktopShell::statusSummary(nullptr), "Tactora");
}

TEST_F(DesktopShellTest, MissingGrantShowsPermissionsAndMenuSwitchSavesEnabled) {
  desktop_->permissions().setInputMonitoringAccess(2);
  auto shell = launch(true);
  EXPECT_EQ(permissionsShown_, 1);
  // "Permissions…" goes to the same window.
  for (QAction* action : shell->statusItem()->menu().actions()) {
    if (action->text() == "Permissions\u2026") {
      action->trigger();
    }
  }
  EXPECT_EQ(permissionsShown_, 2);

  shell->statusItem()->enabledItem().trigger();
  EXPECT_FALSE(app_->configStore().current()->enabled);
}

TEST_F(DesktopShellTest, WithoutAnyTrayTheSettingsWindowOpensAtLaunch) {
  auto shell = launch(false);
  ASSERT_NE(shell->placeholderSettings(), nullptr);
  EXPECT_TRUE(shell->placeholderSettings()->isVisible());
  EXPECT_EQ(shell->placeholderSettings()->windowTitle(), "Tactora Settings");
  EXPECT_EQ(shell->x11TrayIcon(), nullptr);
}

TEST_F(DesktopShellTest, WithOnlyAnX11TrayQtsIconShowsTheMenuInstead) {
  auto shell = launch(true);
  ASSERT_NE(shell->x11TrayIcon(), nullptr);
  EXPECT_TRUE(shell->x11TrayIcon()->isVisible());
  EXPECT_EQ(shell->x11TrayIcon()->contextMenu(), &shell->statusItem()->menu());
  EXPECT_EQ(shell->placeholderSettings(), nullptr);
}

}  // namespace
}  // namespace tactora::shell
