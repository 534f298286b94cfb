// Pictures of the General and Tuning tabs in a light and a dark palette at one and two device
// pixels per point, for a person to look at and for the README; every one-line text must fit the
// space it is given.

#include <gtest/gtest.h>

#include <QScrollArea>
#include <QTabWidget>
#include <QTest>
#include <fstream>

#include "ScreenshotSupport.h"
#include "SettingsFixture.h"
#include "Tactora/settings/GeneralTab.h"
#include "Tactora/settings/SettingsWindow.h"
#include "Tactora/settings/SurfaceFrameHandoff.h"
#include "Tactora/settings/SurfaceView.h"
#include "Tactora/settings/TuningTab.h"

namespace tactora::settings {
namespace {

class Screenshots : public SettingsFixture, public ::testing::WithParamInterface<bool> {
 protected:
  Screenshots() {
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
  void save(QWidget& widget, const QString& name) {
    screenshots::savePicture(widget, "settings-" + name, GetParam());
  }

  screenshots::PaletteScope palette_{GetParam()};
  RecordingUpdater updater_;
  SurfaceFrameHandoff frames_;
};

TEST_P(Screenshots, GeneralAndTuningTabsFitTheirWindow) {
  SettingsWindow window(context_);
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  screenshots::expectTextsFit(*window.generalTab());
  save(window, "general");

  window.tabs()->setCurrentIndex(2);
  window.tuningTab()->surfaceView()->poll();
  QTest::qWait(10);
  screenshots::expectTextsFit(*window.tuningTab());
  save(window, "tuning");

  // The whole of the scrolling form, as one tall picture.
  auto* scroll = window.tuningTab()->findChild<QScrollArea*>();
  ASSERT_NE(scroll, nullptr);
  save(*scroll->widget(), "tuning-full");
}

INSTANTIATE_TEST_SUITE_P(Palettes, Screenshots, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Dark" : "Light"; });

}  // namespace
}  // namespace tactora::settings
