#include "Tactora/HeadlessGestureOverlay.h"

#include <gtest/gtest.h>

#include "Platform/sim/SimPlatform.h"

namespace tactora {
namespace {

TEST(HeadlessGestureOverlay, ShowsTitlesAndFadesOnceAfterTheLastShowUnlessShownAgain) {
  auto sim = sim::SimPlatform::install();
  auto overlay = std::make_shared<HeadlessGestureOverlay>(*sim);
  overlay->show(GestureEvent::tap(3), Action(Action::Case::missionControl));
  EXPECT_EQ(overlay->text(), "3-Finger Tap  \u00b7  Mission Control");
  sim->timeline().advanceBy(0.5);
  overlay->show(GestureEvent::swipe(1, Direction::left), Action(Action::Case::navigateBack));
  EXPECT_EQ(overlay->text(), "1-Finger Swipe Left  \u00b7  Back (Alt+Left)");  // as its picker says
  // The first show's fade would have been due at 0.9 s; it was replaced.
  sim->timeline().advanceBy(0.8);
  EXPECT_TRUE(overlay->isVisible());
  EXPECT_EQ(overlay->alpha(), 1.0);
  sim->timeline().advanceBy(0.1);  // 0.9 s after the second show: the fade starts
  EXPECT_EQ(overlay->alpha(), 0.0);
  EXPECT_TRUE(overlay->isVisible());
  // A show during the fade keeps the panel: the old fade's completion passes without effect.
  overlay->show(GestureEvent::pinch(Direction::up), Action(Action::Case::zoomIn));
  sim->timeline().advanceBy(0.3);  // past the old fade's end, 0.25 s after it began
  EXPECT_TRUE(overlay->isVisible());
  EXPECT_EQ(overlay->alpha(), 1.0);
  EXPECT_EQ(sim->timeline().pendingOneShotCount(), 1u);
  sim->timeline().runUntilIdle();
  EXPECT_FALSE(overlay->isVisible());
}

}  // namespace
}  // namespace tactora
