#pragma once

// What the `tactora --play` checks of every desktop share: the check of the gesture overlay after a
// played gesture: it appears bottom-centre, 90 px above the bottom of the screen, and for as long
// as it is up the focus stays on the user's window and the window manager lists no new window.

#include <gtest/gtest.h>

#include <QRect>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>

#include "tests/support/desktop/PlayScenario.h"

namespace tactora::testing {

// What a desktop shows: the probe window focused (see PlayScenario::play), where the overlay is
// (nothing while it is not up), and the focus and the window list as one comparable text.
struct DesktopView {
  std::function<bool()> focusProbe;
  std::function<std::optional<QRect>()> overlay;
  std::function<std::string()> state;
};

// Plays a spread (Zoom In, which posts nothing on these desktops) with the probe focused until
// the overlay has come and gone. The focus goes back to the probe only until the overlay appears
// (Tactora's own windows take it at launch on X11); from then on, state() must stay as it was just
// before. Every desktop here has one 1280 x 800 screen and no panel, so the work area is the
// screen.
inline void expectOverlayLeavesTheDesktopAlone(PlayScenario& scenario, const DesktopView& view) {
  const QRect screen(0, 0, 1280, 800);
  std::optional<QRect> seenAt;
  std::string before;
  std::string changed;
  const bool cameAndWent = scenario.play(
      "spread",
      [&] {
        const std::string now = view.state();
        const std::optional<QRect> overlay = view.overlay();
        if (!seenAt && !overlay) {
          before = now;
          return false;
        }
        seenAt = seenAt ? seenAt : overlay;
        if (now != before && changed.empty()) {
          changed = now;
        }
        return !overlay.has_value();
      },
      [&] { return seenAt.has_value() || view.focusProbe(); });
  ASSERT_TRUE(seenAt) << "no overlay appeared\n" << scenario.log();
  EXPECT_TRUE(cameAndWent) << "the overlay did not go away\n" << scenario.log();
  EXPECT_EQ(changed, "") << "the focus or the window list changed while the overlay was up, from\n"
                         << before;
  // Bottom-centre: the centres agree within a pixel of rounding.
  EXPECT_LE(std::abs(seenAt->center().x() - screen.center().x()), 1) << seenAt->x();
  EXPECT_EQ(seenAt->bottom() + 1, screen.bottom() + 1 - 90);
  EXPECT_GT(seenAt->width(), 150);
  EXPECT_EQ(scenario.quit(), 0) << scenario.log();
}

}  // namespace tactora::testing
