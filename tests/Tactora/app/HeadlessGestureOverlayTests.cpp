// The headless overlay the replay command uses: its text, and that it goes by itself. The fade's
// timing is the heads-up countdown the shell's overlay shares, checked in the shell's tests.
#include "Tactora/HeadlessGestureOverlay.h"

#include <gtest/gtest.h>

#include "Platform/sim/SimPlatform.h"

namespace tactora {
namespace {

TEST(HeadlessGestureOverlay, ShowsTheTitlesOfTheLastGestureAndGoes) {
  auto sim = sim::SimPlatform::install();
  HeadlessGestureOverlay overlay{*sim};
  overlay.show(GestureEvent::tap(3), Action(Action::Case::missionControl));
  EXPECT_EQ(overlay.text(), "3-Finger Tap  \u00b7  Mission Control");
  sim->timeline().advanceTo(0.5);
  overlay.show(GestureEvent::swipe(1, Direction::left), Action(Action::Case::navigateBack));
  EXPECT_EQ(overlay.text(), "1-Finger Swipe Left  \u00b7  Back (Alt+Left)");  // as its picker says
  sim->timeline().advanceTo(1.39);
  EXPECT_EQ(overlay.alpha(), 1.0);
  sim->timeline().advanceTo(3);
  EXPECT_FALSE(overlay.isVisible());
  EXPECT_EQ(sim->timeline().nextDueTime(), std::nullopt) << "nothing keeps ticking";
}

}  // namespace
}  // namespace tactora
