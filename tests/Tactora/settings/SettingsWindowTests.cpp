// The window and its General tab against a real store: the switches and what they write, the
// parts that depend on the build, one window at a time, and a fresh window after closing.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
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
#include "Tactora/settings/TuningTab.h"
#include "Tactora/updates/BuildVersion.h"

namespace tactora::settings {
namespace {

using GeneralTabTest = SettingsFixture;

TEST_F(GeneralTabTest, TheGestureSwitchesSaveAndFollowTheStore) {
  GeneralTab tab(context_, nullptr);
  EXPECT_TRUE(tab.enabledSwitch()->isChecked());
  QTest::mouseClick(tab.enabledSwitch(), Qt::LeftButton);
  EXPECT_FALSE(savedFile().at("enabled").get<bool>());
  QTest::mouseClick(tab.overlaySwitch(), Qt::LeftButton);
  EXPECT_FALSE(savedFile().at("tuning").at("showGestureHUD").get<bool>());
  EXPECT_FALSE(savedFile().at("enabled").get<bool>());

  // The tray's switch turns gestures back on: the tab shows it without saving again.
  Configuration fromTray = *store_.current();
  fromTray.enabled = true;
  store_.save(fromTray);
  const int saves = saves_;
  tab.showConfiguration(fromTray);
  EXPECT_TRUE(tab.enabledSwitch()->isChecked());
  EXPECT_EQ(saves_, saves);
}

TEST_F(GeneralTabTest, UpdateControlsOnlyWithAnUpdaterAndTheyReachIt) {
  {
    GeneralTab tab(context_, nullptr);
    EXPECT_EQ(tab.checkForUpdatesButton(), nullptr);
    EXPECT_EQ(tab.checkAutomaticallySwitch(), nullptr);
  }
  RecordingUpdater updater;
  context_.updater = &updater;
  GeneralTab tab(context_, nullptr);
  EXPECT_EQ(tab.checkForUpdatesButton()->text(), QString::fromUtf8("Check for Updates\u2026"));
  EXPECT_TRUE(tab.checkAutomaticallySwitch()->isChecked());
  QTest::mouseClick(tab.checkForUpdatesButton(), Qt::LeftButton);
  QTest::mouseClick(tab.checkAutomaticallySwitch(), Qt::LeftButton);
  EXPECT_EQ(updater.checks, 1);
  EXPECT_FALSE(updater.automatic);
  EXPECT_FALSE(fileExists()) << "the update settings are not part of the configuration";
}

// Launch at login and the licences are the window's to carry out with what the application gave
// it; "Open-Source Licenses" shows only when the document exists.
TEST_F(GeneralTabTest, TheWindowSwitchesLaunchAtLoginAndOpensTheLicences) {
  context_.acknowledgementsPath = std::filesystem::path(directory_.path().toStdString()) / "ACK.md";
  EXPECT_EQ(GeneralTab(context_, nullptr).licensesButton(), nullptr);
  std::ofstream(context_.acknowledgementsPath) << "# Acknowledgements\n";
  std::vector<bool> set;
  std::vector<QUrl> opened;
  context_.launchAtLoginEnabled = [] { return true; };
  context_.setLaunchAtLogin = [&set](bool on) { set.push_back(on); };
  context_.openURL = [&opened](const QUrl& url) { opened.push_back(url); };
  SettingsWindow window(context_);
  GeneralTab& tab = *window.generalTab();
  EXPECT_TRUE(tab.launchAtLoginSwitch()->isChecked());
  QTest::mouseClick(tab.launchAtLoginSwitch(), Qt::LeftButton);
  EXPECT_EQ(set, std::vector<bool>{false});
  ASSERT_NE(tab.licensesButton(), nullptr);
  QTest::mouseClick(tab.licensesButton(), Qt::LeftButton);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0].toLocalFile().toStdString(), context_.acknowledgementsPath.string());
}

TEST_F(GeneralTabTest, VersionReadsVersionShortVersionAndBuild) {
  const std::string build = BuildVersion::buildNumber();
  EXPECT_EQ(GeneralTab::versionText().toStdString(),
            "Version " + BuildVersion::shortVersion() + (build.empty() ? "" : " (" + build + ")"));
}

using SettingsWindowTest = SettingsFixture;

TEST_F(SettingsWindowTest, ThreeFixedSizeTabsInOrder) {
  SettingsWindow window(context_);
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Tactora Settings"));
  EXPECT_EQ(window.minimumSize(), QSize(640, 560));
  EXPECT_EQ(window.maximumSize(), QSize(640, 560));
  ASSERT_EQ(window.tabs()->count(), 3);
  EXPECT_EQ(window.tabs()->tabText(0), QStringLiteral("General"));
  EXPECT_EQ(window.tabs()->tabText(1), QStringLiteral("Gestures"));
  EXPECT_EQ(window.tabs()->tabText(2), QStringLiteral("Tuning"));
  for (int i = 0; i < 3; ++i) {
    EXPECT_FALSE(window.tabs()->tabIcon(i).isNull()) << i;
  }
  EXPECT_EQ(window.tabs()->currentIndex(), 0);
}

TEST_F(SettingsWindowTest, OneWindowAtATimeAndAFreshOneAfterClosing) {
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
  // A save after the window is gone reaches no dead widget.
  store_.save(*store_.current());

  controller.showSettings();
  ASSERT_NE(controller.window(), nullptr);
  EXPECT_EQ(controller.window()->tabs()->currentIndex(), 0);
  controller.showSettings(2);
  EXPECT_EQ(controller.window()->tabs()->currentIndex(), 2);
}

TEST_F(SettingsWindowTest, AChangeInOneTabShowsInTheOtherThroughTheStore) {
  SettingsWindowController controller(context_);
  controller.showSettings();
  SettingsWindow* window = controller.window();
  Configuration fromTray = *store_.current();
  fromTray.enabled = false;
  fromTray.tuning.showGestureHUD = false;
  fromTray.tuning.pinchMinDeltaMM = 20;
  store_.save(fromTray);
  EXPECT_FALSE(window->generalTab()->enabledSwitch()->isChecked());
  EXPECT_FALSE(window->generalTab()->overlaySwitch()->isChecked());
  EXPECT_EQ(window->tuningTab()
                ->sliderRow(TuningSection::pinch, "Min distance change")
                ->valueLabel()
                ->text(),
            QStringLiteral("20 mm"));
}

// What a screen reader says for `control`: its accessible name, a button's own text, or the text of
// the label that names it as its buddy.
QString spokenName(QWidget* control, QWidget* tab) {
  if (!control->accessibleName().isEmpty()) {
    return control->accessibleName();
  }
  if (auto* button = qobject_cast<QAbstractButton*>(control); button != nullptr) {
    return button->text().remove('&');
  }
  for (QLabel* label : tab->findChildren<QLabel*>()) {
    if (label->buddy() == control) {
      return label->text().remove('&');
    }
  }
  return {};
}

TEST_F(SettingsWindowTest, TabWalksEveryControlOfGeneralAndTuningInScreenOrderAndEachHasAName) {
  RecordingUpdater updater;
  context_.updater = &updater;
  context_.acknowledgementsPath = std::filesystem::path(directory_.path().toStdString()) / "ACK.md";
  std::ofstream(context_.acknowledgementsPath) << "# Acknowledgements\n";
  SettingsWindow window(context_);
  window.show();
  QApplication::setActiveWindow(&window);
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

  const struct {
    const char* tab;
    int index;
    std::size_t controls;  // with the update check and the licences present
  } tabs[] = {{"General", 0, 6}, {"Tuning", 2, 31}};
  for (const auto& entry : tabs) {
    SCOPED_TRACE(entry.tab);
    window.tabs()->setCurrentIndex(entry.index);
    QWidget* tab = window.tabs()->currentWidget();
    auto position = [tab](QWidget* control) { return control->mapTo(tab, QPoint(0, 0)); };

    // The controls a keyboard can reach, top to bottom and left to right within a row.
    std::vector<QWidget*> controls;
    for (QWidget* control : tab->findChildren<QWidget*>()) {
      if (control->isVisibleTo(tab) && control->isEnabled() &&
          (control->focusPolicy() & Qt::TabFocus) != 0 && control->focusProxy() == nullptr &&
          qobject_cast<QScrollArea*>(control) == nullptr) {
        controls.push_back(control);
      }
    }
    std::sort(controls.begin(), controls.end(), [&](QWidget* a, QWidget* b) {
      const QPoint pa = position(a);
      const QPoint pb = position(b);
      return pa.y() + a->height() / 2 != pb.y() + b->height() / 2
                 ? pa.y() + a->height() / 2 < pb.y() + b->height() / 2
                 : pa.x() < pb.x();
    });
    EXPECT_EQ(controls.size(), entry.controls);

    std::set<QString> names;
    for (QWidget* control : controls) {
      const QString name = spokenName(control, tab);
      EXPECT_FALSE(name.isEmpty()) << control->metaObject()->className();
      EXPECT_TRUE(names.insert(name).second)
          << "two controls are both called " << name.toStdString();
    }

    // Real Tab presses from the first control visit the others in the order they are drawn.
    ASSERT_FALSE(controls.empty());
    controls.front()->setFocus(Qt::TabFocusReason);
    std::vector<QWidget*> visited{QApplication::focusWidget()};
    while (visited.size() < controls.size()) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      QWidget* focused = QApplication::focusWidget();
      if (!tab->isAncestorOf(focused) || qobject_cast<QScrollArea*>(focused) != nullptr) {
        break;
      }
      visited.push_back(focused);
    }
    auto named = [tab](const std::vector<QWidget*>& list) {
      std::vector<std::string> out;
      for (QWidget* control : list) {
        out.push_back(spokenName(control, tab).toStdString());
      }
      return out;
    };
    EXPECT_EQ(named(visited), named(controls));
  }
}

}  // namespace
}  // namespace tactora::settings
