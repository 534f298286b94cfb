// The headless overlay the replay command uses: the titles, and the countdown every heads-up
// panel keeps (a gesture during the fade is in the shell's overlay tests).
#include "Tactora/HeadlessGestureOverlay.h"

#include <gtest/gtest.h>

#include "Platform/sim/SimPlatform.h"

namespace tactora {
namespace {

TEST(HeadlessGestureOverlay, ShowsTitlesAndFadesOnceAfterTheLastShow) {
  auto sim = sim::SimPlatform::install();
  HeadlessGestureOverlay overlay{*sim};
  overlay.show(GestureEvent::tap(3), Action(Action::Case::missionControl));
  EXPECT_EQ(overlay.text(), "3-Finger Tap  \u00b7  Mission Control");
  sim->timeline().advanceTo(0.5);
  overlay.show(GestureEvent::swipe(1, Direction::left), Action(Action::Case::navigateBack));
  EXPECT_EQ(overlay.text(), "1-Finger Swipe Left  \u00b7  Back (Alt+Left)");  // as its picker says
  // The first show's fade would have begun at 0.9 s; the second's begins at 1.4 s, and then the
  // alpha only falls, reaching 0 when the panel goes, 0.25 s later.
  double previous = 1.0;
  for (int ms = 1390; ms <= 1660; ms += 10) {
    if (ms == 1400 || ms == 1650) {
      continue;  // the edges themselves
    }
    sim->timeline().advanceTo(ms / 1000.0);
    EXPECT_LE(overlay.alpha(), previous) << ms;
    EXPECT_TRUE(ms > 1400 || overlay.alpha() == 1.0) << ms;
    EXPECT_EQ(overlay.isVisible(), ms < 1650) << ms;
    previous = overlay.alpha();
  }
  EXPECT_EQ(overlay.alpha(), 0.0);
  EXPECT_EQ(sim->timeline().nextDueTime(), std::nullopt) << "nothing keeps ticking";
}

}  // namespace
}  // namespace tactora
