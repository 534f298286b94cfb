// The window and its General tab against a real store: the switches and what they write, the
// parts that depend on the build, one window at a time, a fresh window after closing, changes
// shown across tabs, and the keyboard walk.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <algorithm>
#include <fstream>
#include <set>

#include "SettingsFixture.h"
#include "Tactora/settings/GeneralTab.h"
#include "Tactora/settings/SettingsWindow.h"
#include "Tactora/settings/SettingsWindowController.h"
#include "Tactora/settings/SliderRow.h"
#include "Tactora/settings/SurfaceView.h"
#include "Tactora/settings/TuningTab.h"

namespace tactora::settings {
namespace {

using SettingsWindowTest = SettingsFixture;

// Its accessible name, or a button's own text.
QString spokenName(QWidget* control) {
  auto* button = qobject_cast<QAbstractButton*>(control);
  return control->accessibleName().isEmpty() && button != nullptr ? button->text().remove('&')
                                                                  : control->accessibleName();
}

// Every control in `within` that Tab can reach, top to bottom and left to right within a row, has
// a name, and real Tab presses from the first visit them all: with `distinct`, in that order and no
// two named the same. Returns how many there are.
std::size_t expectTabFollowsTheScreen(QWidget* within, bool distinct) {
  std::vector<QWidget*> controls;
  for (QWidget* control : within->findChildren<QWidget*>()) {
    if (control->isVisibleTo(within) && control->isEnabled() &&
        (control->focusPolicy() & Qt::TabFocus) != 0 && control->focusProxy() == nullptr &&
        qobject_cast<QScrollArea*>(control) == nullptr) {
      controls.push_back(control);
    }
  }
  std::ranges::sort(controls, {}, [within](QWidget* control) {
    const QPoint at = control->mapTo(within, QPoint(0, 0));
    return std::pair(at.y() + control->height() / 2, at.x());
  });
  auto named = [](QWidget* control) {
    return spokenName(control).toStdString() + " (" + control->metaObject()->className() + ")";
  };
  std::set<QString> names;
  std::vector<std::string> expected, visited;
  for (QWidget* control : controls) {
    const QString name = spokenName(control);
    EXPECT_FALSE(name.isEmpty()) << named(control);
    EXPECT_TRUE(!distinct || names.insert(name).second) << "two controls called " << named(control);
    expected.push_back(named(control));
  }
  if (!controls.empty()) {
    controls.front()->setFocus(Qt::TabFocusReason);
  }
  // Tab leaves the tab for the window's own controls and comes back round.
  for (std::size_t press = 0; press < 2 * controls.size() && visited.size() < controls.size();
       ++press) {
    QWidget* focused = QApplication::focusWidget();
    if (within->isAncestorOf(focused) && qobject_cast<QScrollArea*>(focused) == nullptr) {
      visited.push_back(named(focused));
    }
    QTest::keyClick(focused, Qt::Key_Tab);
  }
  if (!distinct) {  // rows scroll under the header and footer: each reached once, in any order
    std::ranges::sort(visited);
    std::ranges::sort(expected);
  }
  EXPECT_EQ(visited, expected);
  return controls.size();
}

// The update controls exist only with an updater and reach it; launch at login and the licences
// are the window's to carry out, "Open-Source Licenses" only when the document exists. None of
// them is part of the configuration; the gesture and overlay switches are. Tab walks every tab.
TEST_F(SettingsWindowTest, EveryControlOfTheBuildIsReachedByTabAndReachesWhatTheApplicationGave) {
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
  EXPECT_TRUE(tab.checkAutomaticallySwitch()->isChecked() &&
              tab.launchAtLoginSwitch()->isChecked());
  for (QAbstractButton* control : std::initializer_list<QAbstractButton*>{
           tab.checkForUpdatesButton(), tab.checkAutomaticallySwitch(), tab.launchAtLoginSwitch(),
           tab.licensesButton()}) {
    QTest::mouseClick(control, Qt::LeftButton);
  }
  EXPECT_EQ(updater.userCheckCount(), 1);
  EXPECT_FALSE(updater.automaticallyChecksForUpdates());
  EXPECT_EQ(set, std::vector<bool>{false});
  EXPECT_EQ(
      opened,
      std::vector{QUrl::fromLocalFile(QString::fromStdString(context_.acknowledgementsPath))});
  EXPECT_FALSE(fileExists());
  QTest::mouseClick(tab.enabledSwitch(), Qt::LeftButton);
  QTest::mouseClick(tab.overlaySwitch(), Qt::LeftButton);
  EXPECT_FALSE(savedFile().at("enabled").get<bool>());
  EXPECT_FALSE(savedTuning().at("showGestureHUD").get<bool>());
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  // The Gestures tab repeats its row controls' names from row to row.
  for (const auto& [index, count, distinct] :
       {std::tuple{1, 41u, false}, {2, 31u, true}, {0, 6u, true}}) {
    SCOPED_TRACE(index);
    window.tabs()->setCurrentIndex(index);
    EXPECT_EQ(expectTabFollowsTheScreen(window.tabs()->currentWidget(), distinct), count);
  }
}

TEST_F(SettingsWindowTest, OneWindowAtATimeAFreshOneAfterClosingAndChangesFromElsewhereShown) {
  SettingsWindowController controller(context_);
  int closed = 0;
  controller.onClose = [&closed] { ++closed; };
  controller.showSettings();
  QPointer<SettingsWindow> first = controller.window();
  ASSERT_TRUE(first);
  first->tabs()->setCurrentIndex(2);
  controller.showSettings();
  EXPECT_EQ(controller.window(), first.data());
  EXPECT_EQ(first->tabs()->currentIndex(), 2) << "reopening keeps the open window as it is";

  first->close();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(first.isNull());
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(controller.window(), nullptr);
  store_->save(*store_->current());  // reaches no dead widget, nor a closed Gestures tab

  controller.showSettings();
  ASSERT_NE(controller.window(), nullptr);
  EXPECT_EQ(controller.window()->tabs()->currentIndex(), 0);
  controller.showSettings(2);
  EXPECT_EQ(controller.window()->tabs()->currentIndex(), 2);

  // A change saved elsewhere (the tray, another window) shows in every tab and is not saved again;
  // the Tuning tab redraws once per save, its own included.
  SettingsWindow* window = controller.window();
  QSignalSpy shown(window->tuningTab(), &TuningTab::configurationShown);
  QTest::mouseClick(window->tuningTab()->restoreButton(TuningSection::pinch), Qt::LeftButton);
  Configuration fromTray = *store_->current();
  fromTray.enabled = false;
  fromTray.tuning.showGestureHUD = false;
  fromTray.tuning.pinchMinDeltaMM = 20;
  fromTray.tuning.rightZoneMinX = 0.5f;
  saves_ = 0;
  store_->save(fromTray);
  EXPECT_EQ(std::pair(saves_, int(shown.count())), std::pair(1, 2));
  EXPECT_FLOAT_EQ(window->tuningTab()->surfaceView()->zoneMinX(), 0.5f);
  EXPECT_FALSE(window->generalTab()->enabledSwitch()->isChecked() ||
               window->generalTab()->overlaySwitch()->isChecked());
  const SliderRow* pinch =
      window->tuningTab()->sliderRow(TuningSection::pinch, "Min distance change");
  EXPECT_EQ(pinch->valueLabel()->text(), "20 mm");
}

}  // namespace
}  // namespace tactora::settings
