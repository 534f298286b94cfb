// The headless overlay the replay command uses: the titles, and the countdown every heads-up
// panel keeps (a gesture during the fade is in the shell's overlay tests).

#include "Tactora/HeadlessGestureOverlay.h"

#include <gtest/gtest.h>

#include "Platform/sim/SimPlatform.h"

namespace tactora {
namespace {

class HeadlessGestureOverlayTest : public ::testing::Test {
 protected:
  std::shared_ptr<sim::SimPlatform> sim = sim::SimPlatform::install();
  HeadlessGestureOverlay overlay{*sim};
  // The alpha at `seconds` after the start, with everything due run.
  double alphaAt(double seconds) {
    sim->timeline().advanceTo(seconds);
    return overlay.alpha();
  }
};

TEST_F(HeadlessGestureOverlayTest, ShowsTitlesAndFadesOnceAfterTheLastShow) {
  overlay.show(GestureEvent::tap(3), Action(Action::Case::missionControl));
  EXPECT_EQ(overlay.text(), "3-Finger Tap  \u00b7  Mission Control");
  sim->timeline().advanceTo(0.5);
  overlay.show(GestureEvent::swipe(1, Direction::left), Action(Action::Case::navigateBack));
  EXPECT_EQ(overlay.text(), "1-Finger Swipe Left  \u00b7  Back (Alt+Left)");  // as its picker says
  // The first show's fade would have begun at 0.9 s; the second's begins at 1.4 s.
  EXPECT_EQ(alphaAt(1.39), 1.0);
  // Then the alpha only falls, reaching 0 when the panel goes, 0.25 s later.
  double previous = 1.0;
  for (double t = 1.41; t < 1.65; t += 0.01) {
    const double alpha = alphaAt(t);
    EXPECT_LE(alpha, previous) << t;
    EXPECT_TRUE(overlay.isVisible()) << t;
    previous = alpha;
  }
  EXPECT_EQ(alphaAt(1.66), 0.0);
  EXPECT_FALSE(overlay.isVisible());
  EXPECT_EQ(sim->timeline().nextDueTime(), std::nullopt) << "nothing keeps ticking";
}

}  // namespace
}  // namespace tactora
