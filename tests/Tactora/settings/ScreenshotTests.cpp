// Pictures of the General and Tuning tabs in a light and a dark palette, for a person to look at
// and for the README. They go to $TACTORA_SCREENSHOT_DIR when set, else to a temporary folder;
// either way every one-line text must fit the space it is given.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QStyle>
#include <QTabWidget>
#include <QTest>
#include <fstream>

#include "Platform/Updater.h"
#include "SettingsFixture.h"
#include "Tactora/settings/GeneralTab.h"
#include "Tactora/settings/SettingsWindow.h"
#include "Tactora/settings/SurfaceFrameHandoff.h"
#include "Tactora/settings/SurfaceView.h"
#include "Tactora/settings/TuningTab.h"

namespace tactora::settings {
namespace {

class IdleUpdater : public platform::Updater {
 public:
  std::optional<std::string> start(platform::UpdaterHooks) override { return std::nullopt; }
  void checkForUpdates() override {}
  bool automaticallyChecksForUpdates() override { return true; }
  void setAutomaticallyChecksForUpdates(bool) override {}
};

QPalette darkPalette() {
  QPalette palette;
  palette.setColor(QPalette::Window, QColor(0x2b, 0x2d, 0x30));
  palette.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xe8));
  palette.setColor(QPalette::Base, QColor(0x1e, 0x1f, 0x22));
  palette.setColor(QPalette::AlternateBase, QColor(0x33, 0x35, 0x38));
  palette.setColor(QPalette::Text, QColor(0xe8, 0xe8, 0xe8));
  palette.setColor(QPalette::Button, QColor(0x3a, 0x3c, 0x40));
  palette.setColor(QPalette::ButtonText, QColor(0xe8, 0xe8, 0xe8));
  palette.setColor(QPalette::Highlight, QColor(0x3d, 0x8b, 0xe0));
  palette.setColor(QPalette::HighlightedText, Qt::white);
  palette.setColor(QPalette::PlaceholderText, QColor(0xa0, 0xa3, 0xa8));
  palette.setColor(QPalette::Mid, QColor(0x60, 0x63, 0x68));
  palette.setColor(QPalette::Light, QColor(0x50, 0x53, 0x58));
  palette.setColor(QPalette::Dark, QColor(0x18, 0x19, 0x1b));
  palette.setColor(QPalette::ToolTipBase, QColor(0x3a, 0x3c, 0x40));
  palette.setColor(QPalette::ToolTipText, QColor(0xe8, 0xe8, 0xe8));
  return palette;
}

class Screenshots : public SettingsFixture, public ::testing::WithParamInterface<bool> {
 protected:
  Screenshots() : previous_(QApplication::palette()) {
    QApplication::setPalette(GetParam() ? darkPalette() : QApplication::style()->standardPalette());
    context_.updater = &updater_;
    context_.launchAtLoginEnabled = [] { return true; };
    context_.acknowledgementsPath =
        std::filesystem::path(directory_.path().toStdString()) / "ACKNOWLEDGEMENTS.md";
    std::ofstream(context_.acknowledgementsPath) << "# Acknowledgements\n";
    context_.frames = &frames_;
    // Two fingers resting, one of them in the right-side zone, and a gesture just made.
    std::vector<Touch> touches(2);
    touches[0].position = {0.3f, 0.55f};
    touches[1].position = {0.78f, 0.7f};
    BorrowedFrame frame;
    frame.surfaceSizeMM = SurfaceSnapshot::defaultSurfaceSizeMM;
    frame.touches = touches;
    for (int i = 0; i < 412; ++i) {
      frames_.publish(frame);
    }
    frames_.gestureReceived(GestureEvent::tap(2));
  }
  ~Screenshots() override { QApplication::setPalette(previous_); }

  QString path(const QString& name) {
    const QString dir = qEnvironmentVariable("TACTORA_SCREENSHOT_DIR", directory_.path());
    return dir + "/settings-" + name + (GetParam() ? "-dark" : "-light") + ".png";
  }

  // One-line labels and buttons are never narrower than their text.
  static void expectTextsFit(QWidget* root) {
    for (QLabel* label : root->findChildren<QLabel*>()) {
      if (label->isVisible() && !label->wordWrap() && label->pixmap().isNull()) {
        EXPECT_GE(label->width(), label->sizeHint().width()) << label->text().toStdString();
      }
    }
    for (QAbstractButton* button : root->findChildren<QAbstractButton*>()) {
      if (button->isVisible()) {
        EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
      }
    }
  }

  IdleUpdater updater_;
  SurfaceFrameHandoff frames_;
  QPalette previous_;
};

TEST_P(Screenshots, GeneralAndTuningTabsFitTheirWindow) {
  SettingsWindow window(context_);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  expectTextsFit(window.generalTab());
  EXPECT_TRUE(window.grab().save(path("general")));

  window.tabs()->setCurrentIndex(2);
  window.tuningTab()->surfaceView()->poll();
  QTest::qWait(10);
  expectTextsFit(window.tuningTab());
  EXPECT_TRUE(window.grab().save(path("tuning")));

  // The whole of the scrolling form, as one tall picture.
  auto* scroll = window.tuningTab()->findChild<QScrollArea*>();
  ASSERT_NE(scroll, nullptr);
  EXPECT_TRUE(scroll->widget()->grab().save(path("tuning-full")));
}

INSTANTIATE_TEST_SUITE_P(Palettes, Screenshots, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Dark" : "Light"; });

}  // namespace
}  // namespace tactora::settings
