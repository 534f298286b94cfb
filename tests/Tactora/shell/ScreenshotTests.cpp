// Pictures of the shell for a person to look at (and for the README): the overlay over a desktop
// and the settings stand-in. The tray's pictures are taken on real panels (TrayHostTests). They go
// to $TACTORA_SCREENSHOT_DIR when set, else to a temporary folder; either way every text must fit.

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>

#include "Platform/sim/SimPlatform.h"
#include "Tactora/shell/GestureOverlay.h"
#include "Tactora/shell/PlaceholderSettingsWindow.h"

namespace tactora::shell {
namespace {

class Screenshots : public ::testing::Test {
 protected:
  QString path(const QString& name) {
    const QString dir = qEnvironmentVariable("TACTORA_SCREENSHOT_DIR", temporary_.path());
    return dir + "/" + name;
  }
  QTemporaryDir temporary_;
};

TEST_F(Screenshots, OverlayTextFitsItsPanel) {
  sim::SimPlatform desktop;
  GestureOverlay::Environment environment;
  environment.mainQueue = &desktop.dispatch().main();
  environment.nowSeconds = [&desktop] { return desktop.timeline().now(); };
  auto overlay = std::make_shared<GestureOverlay>(std::move(environment));
  overlay->showText(QStringLiteral("3-Finger Tap  \u00b7  Mission Control"));
  HeadsUpPanel& panel = *overlay->panel();
  const int textWidth = QFontMetrics(panel.font()).horizontalAdvance(panel.text());
  EXPECT_GE(panel.width(), textWidth + 2 * HeadsUpPanel::horizontalMargin);

  // The panel as it appears over a light window and over a dark one.
  QImage scene(panel.width() + 80, 2 * panel.height() + 60, QImage::Format_ARGB32);
  QPainter painter(&scene);
  painter.fillRect(0, 0, scene.width(), scene.height() / 2, QColor(0xf4, 0xf4, 0xf2));
  painter.fillRect(0, scene.height() / 2, scene.width(), scene.height() / 2,
                   QColor(0x2b, 0x2d, 0x30));
  const QPixmap picture = panel.grab();
  painter.drawPixmap(40, 20, picture);
  painter.drawPixmap(40, scene.height() / 2 + 10, picture);
  painter.end();
  EXPECT_TRUE(scene.save(path("gesture-overlay.png")));
}

TEST_F(Screenshots, SettingsStandInWindow) {
  PlaceholderSettingsWindow window;
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  EXPECT_EQ(window.windowTitle(), "Tactora Settings");
  EXPECT_TRUE(window.grab().save(path("settings-placeholder.png")));
}

}  // namespace
}  // namespace tactora::shell
