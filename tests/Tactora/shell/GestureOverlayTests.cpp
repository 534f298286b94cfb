// The gesture overlay: its window never takes focus or clicks and stays out of the task bar, its
// placement on the screen under the pointer, and its timing on virtual time.

#include "Tactora/shell/GestureOverlay.h"

#include <gtest/gtest.h>

#include "Platform/sim/SimPlatform.h"

namespace tactora::shell {
namespace {

// A laptop screen with a top bar and a bottom dock, and a larger screen to its right whose
// available area is the whole screen.
const std::vector<GestureOverlay::Screen> twoScreens = {
    {QRect(0, 0, 1440, 900), QRect(0, 27, 1440, 800)},
    {QRect(1440, -200, 2560, 1440), QRect(1440, -200, 2560, 1440)},
};

TEST(GestureOverlayPlacement, CentresAboveTheBottomOfTheScreenUnderThePointer) {
  const QSize panel(300, 40);
  // Primary: centred on its available area, bottom edge 90 above the dock (27 + 800 = 827).
  EXPECT_EQ(GestureOverlay::placement(panel, QPoint(10, 10), twoScreens),
            QPoint((1440 - 300) / 2, 827 - 90 - 40));
  // Secondary, above the primary's top edge.
  EXPECT_EQ(GestureOverlay::placement(panel, QPoint(2000, -100), twoScreens),
            QPoint(1440 + (2560 - 300) / 2, -200 + 1440 - 90 - 40));
  // The last pixel column of the primary is still the primary; the next belongs to the other.
  EXPECT_EQ(GestureOverlay::placement(panel, QPoint(1439, 500), twoScreens)->x(), 570);
  EXPECT_EQ(GestureOverlay::placement(panel, QPoint(1440, 500), twoScreens)->x(), 1440 + 1130);
  // Outside every screen: the primary. No screen at all: left where it is.
  EXPECT_EQ(GestureOverlay::placement(panel, QPoint(-50, 5000), twoScreens), QPoint(570, 697));
  EXPECT_EQ(GestureOverlay::placement(panel, QPoint(), {}), std::nullopt);
}

class GestureOverlayTiming : public ::testing::Test {
 protected:
  GestureOverlayTiming() {
    GestureOverlay::Environment environment;
    environment.mainQueue = &desktop_.dispatch().main();
    environment.nowSeconds = [this] { return desktop_.timeline().now(); };
    environment.pointer = [this] { return pointer_; };
    environment.screens = [] { return twoScreens; };
    overlay_ = std::make_shared<GestureOverlay>(std::move(environment));
  }
  void advanceTo(double seconds) { desktop_.timeline().advanceTo(seconds); }

  sim::SimPlatform desktop_;
  QPoint pointer_{700, 400};
  std::shared_ptr<GestureOverlay> overlay_;
};

TEST_F(GestureOverlayTiming, WindowIsClickThroughFocuslessAndOutOfTheTaskBar) {
  overlay_->showText(QStringLiteral("3-Finger Tap  \u00b7  Mission Control"));
  QWidget& panel = *overlay_->panel();
  const Qt::WindowFlags flags = panel.windowFlags();
  for (Qt::WindowType flag :
       {Qt::FramelessWindowHint, Qt::WindowTransparentForInput, Qt::WindowDoesNotAcceptFocus,
        Qt::WindowStaysOnTopHint, Qt::X11BypassWindowManagerHint}) {
    EXPECT_TRUE(flags.testFlag(flag)) << flag;
  }
  EXPECT_EQ(panel.windowType(), Qt::Tool);
  EXPECT_TRUE(panel.testAttribute(Qt::WA_ShowWithoutActivating));
  EXPECT_TRUE(panel.testAttribute(Qt::WA_TranslucentBackground));
  EXPECT_FALSE(panel.isActiveWindow());
  EXPECT_EQ(panel.focusPolicy(), Qt::NoFocus);
}

TEST_F(GestureOverlayTiming, ShowsForPointNineSecondsThenFadesOverAQuarterSecond) {
  overlay_->showText(QStringLiteral("Swipe Left  \u00b7  Back"));
  EXPECT_TRUE(overlay_->isShown());
  EXPECT_EQ(overlay_->alpha(), 1.0);
  advanceTo(0.89);
  EXPECT_EQ(overlay_->alpha(), 1.0);
  advanceTo(0.9 + 0.125);
  EXPECT_NEAR(overlay_->alpha(), 0.5, 0.07);
  EXPECT_TRUE(overlay_->isShown());
  advanceTo(0.9 + 0.26);
  EXPECT_FALSE(overlay_->isShown());
  EXPECT_EQ(overlay_->alpha(), 0.0);
  // Nothing keeps ticking once the panel is gone.
  EXPECT_EQ(desktop_.timeline().nextDueTime(), std::nullopt);
}

TEST_F(GestureOverlayTiming, EachGestureRestartsTheCountdown) {
  overlay_->showText(QStringLiteral("first"));
  advanceTo(0.5);
  overlay_->showText(QStringLiteral("second"));
  advanceTo(1.39);  // 0.9 s after the second, not after the first
  EXPECT_EQ(overlay_->alpha(), 1.0);
  EXPECT_EQ(overlay_->panel()->text(), "second");
  advanceTo(1.4 + 0.26);
  EXPECT_FALSE(overlay_->isShown());
}

TEST_F(GestureOverlayTiming, AGestureDuringTheFadeBringsThePanelBackForGood) {
  overlay_->showText(QStringLiteral("first"));
  advanceTo(1.0);
  ASSERT_LT(overlay_->alpha(), 1.0);
  overlay_->showText(QStringLiteral("second"));
  EXPECT_EQ(overlay_->alpha(), 1.0);
  // The old fade would have ended at 1.15; the panel stays at full opacity until 1.9.
  advanceTo(1.89);
  EXPECT_TRUE(overlay_->isShown());
  EXPECT_EQ(overlay_->alpha(), 1.0);
  EXPECT_EQ(overlay_->panel()->text(), "second");
  advanceTo(2.2);
  EXPECT_FALSE(overlay_->isShown());
}

TEST_F(GestureOverlayTiming, LongTextWidensThePanelAndItFollowsThePointer) {
  overlay_->showText(QStringLiteral("Tap"));
  const int shortWidth = overlay_->panel()->width();
  overlay_->showText(
      QStringLiteral("2-Finger Double Tap  \u00b7  Shell Command (notify-send \"hello there\")"));
  const QWidget& panel = *overlay_->panel();
  EXPECT_GT(panel.width(), shortWidth + 200);
  EXPECT_EQ(panel.x(), (1440 - panel.width()) / 2);
  EXPECT_EQ(panel.y() + panel.height(), 827 - 90);

  pointer_ = QPoint(3000, 0);
  overlay_->showText(QStringLiteral("Tap"));
  EXPECT_EQ(overlay_->panel()->x(), 1440 + (2560 - overlay_->panel()->width()) / 2);
}

}  // namespace
}  // namespace tactora::shell
