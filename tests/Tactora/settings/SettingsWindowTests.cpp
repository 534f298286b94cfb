// The window and its General tab against a real store: the switches and what they write, the
// parts that depend on the build, one window at a time, a fresh window after closing, changes
// shown across tabs, and the keyboard walk.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <fstream>

#include "SettingsFixture.h"
#include "Tactora/settings/GeneralTab.h"
#include "Tactora/settings/SettingsWindow.h"
#include "Tactora/settings/SettingsWindowController.h"
#include "Tactora/settings/SliderRow.h"
#include "Tactora/settings/SurfaceView.h"
#include "Tactora/settings/TuningTab.h"
#include "tests/Tactora/settings/KeyboardWalk.h"

namespace tactora::settings {
namespace {

using SettingsWindowTest = SettingsFixture;

// The update controls exist only with an updater and reach it; launch at login and the licences
// are the window's to carry out, "Open-Source Licenses" only when the document exists. None of
// them is part of the configuration; the gesture and overlay switches are.
TEST_F(SettingsWindowTest, GeneralTabControlsOfTheBuildReachWhatTheApplicationGave) {
  context_.acknowledgementsPath = std::filesystem::path(directory_.path().toStdString()) / "ACK.md";
  {
    GeneralTab tab(context_, nullptr);
    EXPECT_EQ(tab.checkForUpdatesButton(), nullptr);
    EXPECT_EQ(tab.licensesButton(), nullptr);
  }
  std::ofstream(context_.acknowledgementsPath) << "# Acknowledgements\n";
  sim::SimUpdater updater;
  std::vector<bool> set;
  std::vector<QUrl> opened;
  context_.updater = &updater;
  context_.launchAtLoginEnabled = [] { return true; };
  context_.setLaunchAtLogin = [&set](bool on) { set.push_back(on); };
  context_.openURL = [&opened](const QUrl& url) { opened.push_back(url); };
  SettingsWindow window(context_);
  GeneralTab& tab = *window.generalTab();
  EXPECT_EQ(tab.checkForUpdatesButton()->text(), QString::fromUtf8("Check for Updates\u2026"));
  EXPECT_TRUE(tab.checkAutomaticallySwitch()->isChecked());
  EXPECT_TRUE(tab.launchAtLoginSwitch()->isChecked());
  for (QAbstractButton* control : std::initializer_list<QAbstractButton*>{
           tab.checkForUpdatesButton(), tab.checkAutomaticallySwitch(), tab.launchAtLoginSwitch(),
           tab.licensesButton()}) {
    QTest::mouseClick(control, Qt::LeftButton);
  }
  EXPECT_EQ(updater.userCheckCount(), 1);
  EXPECT_FALSE(updater.automaticallyChecksForUpdates());
  EXPECT_EQ(set, std::vector<bool>{false});
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].toLocalFile().toStdString(), context_.acknowledgementsPath.string());
  EXPECT_FALSE(fileExists());
  QTest::mouseClick(tab.enabledSwitch(), Qt::LeftButton);
  QTest::mouseClick(tab.overlaySwitch(), Qt::LeftButton);
  EXPECT_FALSE(savedFile().at("enabled").get<bool>());
  EXPECT_FALSE(savedTuning().at("showGestureHUD").get<bool>());
}

TEST_F(SettingsWindowTest, OneWindowAtATimeAndAFreshOneAfterClosing) {
  SettingsWindowController controller(context_);
  int closed = 0;
  controller.onClose = [&closed] { ++closed; };
  controller.showSettings();
  QPointer<SettingsWindow> first = controller.window();
  ASSERT_TRUE(first);
  EXPECT_EQ(first->tabs()->tabText(1), QStringLiteral("Gestures"));
  first->tabs()->setCurrentIndex(2);
  controller.showSettings();
  EXPECT_EQ(controller.window(), first.data());
  EXPECT_EQ(first->tabs()->currentIndex(), 2) << "reopening keeps the open window as it is";

  first->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull());
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(controller.window(), nullptr);
  store_->save(*store_->current());  // reaches no dead widget

  controller.showSettings();
  ASSERT_NE(controller.window(), nullptr);
  EXPECT_EQ(controller.window()->tabs()->currentIndex(), 0);
  controller.showSettings(2);
  EXPECT_EQ(controller.window()->tabs()->currentIndex(), 2);
}

// A change saved elsewhere (the tray, another window) shows in every tab and is not saved again;
// the Tuning tab redraws once per save, its own included.
TEST_F(SettingsWindowTest, AChangeSavedElsewhereShowsInEveryTab) {
  SettingsWindowController controller(context_);
  controller.showSettings();
  SettingsWindow* window = controller.window();
  QSignalSpy shown(window->tuningTab(), &TuningTab::configurationShown);
  QTest::mouseClick(window->tuningTab()->restoreButton(TuningSection::pinch), Qt::LeftButton);
  Configuration fromTray = *store_->current();
  fromTray.enabled = false;
  fromTray.tuning.showGestureHUD = false;
  fromTray.tuning.pinchMinDeltaMM = 20;
  fromTray.tuning.rightZoneMinX = 0.5f;
  store_->save(fromTray);
  EXPECT_EQ(saves_, 2);
  EXPECT_FLOAT_EQ(window->tuningTab()->surfaceView()->zoneMinX(), 0.5f);
  EXPECT_FALSE(window->generalTab()->enabledSwitch()->isChecked() ||
               window->generalTab()->overlaySwitch()->isChecked());
  const SliderRow* pinch =
      window->tuningTab()->sliderRow(TuningSection::pinch, "Min distance change");
  EXPECT_EQ(pinch->valueLabel()->text(), QStringLiteral("20 mm"));
  EXPECT_EQ(shown.count(), 2);
}

TEST_F(SettingsWindowTest, TabWalksEveryControlOfGeneralAndTuningInScreenOrderAndEachHasAName) {
  sim::SimUpdater updater;
  context_.updater = &updater;
  context_.acknowledgementsPath = std::filesystem::path(directory_.path().toStdString()) / "ACK.md";
  std::ofstream(context_.acknowledgementsPath) << "# Acknowledgements\n";
  SettingsWindow window(context_);
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  for (const auto& [index, count] : {std::pair{0, 6u}, std::pair{2, 31u}}) {
    SCOPED_TRACE(index);
    window.tabs()->setCurrentIndex(index);
    QWidget* tab = window.tabs()->currentWidget();
    const auto controls = testing::controlsInScreenOrder(tab, /*distinct=*/true);
    EXPECT_EQ(controls.size(), count);
    testing::expectTabFollowsTheScreen(controls, tab);
  }
}

}  // namespace
}  // namespace tactora::settings
