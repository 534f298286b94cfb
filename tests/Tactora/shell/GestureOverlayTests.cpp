// The gesture overlay as each kind of desktop takes it (on the real desktops it is checked by
// each desktop's suite, through tests/support/desktop/PlayDesktop.h): never a window where the
// desktop wants no window, the same countdown whichever way it shows.

#include "Tactora/shell/GestureOverlay.h"

#include <gtest/gtest.h>

#include "Platform/sim/SimPlatform.h"

namespace tactora::shell {
namespace {

using platform::PanelKind;

class GestureOverlayOnDesktops : public ::testing::TestWithParam<PanelKind> {
 protected:
  GestureOverlayOnDesktops() {
    desktop_.panels().setKind(GetParam());
    GestureOverlay::Environment environment;
    environment.mainQueue = &desktop_.dispatch().main();
    environment.nowSeconds = [this] { return desktop_.timeline().now(); };
    environment.panels = &desktop_.panels();
    overlay_ = std::make_shared<GestureOverlay>(std::move(environment));
  }
  void advanceTo(double seconds) { desktop_.timeline().advanceTo(seconds); }
  const std::vector<sim::SimPanels::SurfaceEvent>& pictures() {
    return desktop_.panels().surfaceEvents();
  }

  sim::SimPlatform desktop_;
  std::shared_ptr<GestureOverlay> overlay_;
};

TEST_P(GestureOverlayOnDesktops, ShowsTheDesktopsWayAndFadesOnceAfterTheLastGesture) {
  const PanelKind kind = GetParam();
  overlay_->show(GestureEvent::tap(3), Action(Action::Case::missionControl));
  advanceTo(0.5);
  overlay_->show(GestureEvent::pinch(Direction::up), Action(Action::Case::zoomIn));
  const QString text = overlay_->panel()->text();
  EXPECT_EQ(overlay_->panel()->isVisible(), kind == PanelKind::unmanagedWindow);
  EXPECT_EQ(desktop_.panels().shellTexts().size(), kind == PanelKind::drawnByShell ? 2u : 0u);

  // The first gesture's fade would have started at 0.9; the second one's starts at 1.4, and a
  // gesture during it brings the panel back for another 0.9 s.
  advanceTo(1.39);
  EXPECT_EQ(overlay_->alpha(), 1.0);
  advanceTo(1.4 + 0.125);
  EXPECT_NEAR(overlay_->alpha(), 0.5, 0.07);
  overlay_->showText(text);
  advanceTo(1.525 + 0.89);
  EXPECT_TRUE(overlay_->isShown());
  EXPECT_EQ(overlay_->alpha(), 1.0);
  advanceTo(1.525 + 0.9 + 0.26);
  EXPECT_FALSE(overlay_->isShown());
  EXPECT_FALSE(overlay_->panel()->isVisible());
  EXPECT_EQ(desktop_.timeline().nextDueTime(), std::nullopt) << "nothing keeps ticking";
  if (kind == PanelKind::overlaySurface) {
    // Every step of the fade is a fainter picture of the same panel; the surface goes at the end.
    ASSERT_GT(pictures().size(), 10u);
    EXPECT_FALSE(pictures().back().shown);
    const auto& lastStep = pictures()[pictures().size() - 2];
    EXPECT_LT(lastStep.peakAlpha, pictures().front().peakAlpha / 4);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryKind, GestureOverlayOnDesktops,
                         ::testing::Values(PanelKind::unmanagedWindow, PanelKind::overlaySurface,
                                           PanelKind::drawnByShell, PanelKind::none));

}  // namespace
}  // namespace tactora::shell
