#include "Tactora/input/ScrollSuppressionPolicy.h"

#include <gtest/gtest.h>

namespace tactora {
namespace {

using Mode = ScrollSuppressionMode;

const GestureEvent kCandidate = GestureEvent::swipeCandidateBegan();
const GestureEvent kSwipeLeft = GestureEvent::swipe(3, Direction::left);

TEST(ScrollSuppressionPolicy, OneRestingFingerNeverSuppresses) {
  ScrollSuppressionPolicy policy;
  for (double t = 0; t < 1.0; t += 0.01) {
    EXPECT_EQ(policy.updateForFrame(1, t, 10.0 + t), Mode::none) << t;
  }
}

TEST(ScrollSuppressionPolicy, SeveralYoungFingersSuppressAllForTheFirstFifthOfASecond) {
  ScrollSuppressionPolicy policy;
  EXPECT_EQ(policy.updateForFrame(2, 0.0, 10.0), Mode::all);
  EXPECT_EQ(policy.updateForFrame(3, 0.19, 10.19), Mode::all);
  EXPECT_EQ(policy.updateForFrame(2, 0.2, 10.2), Mode::none);
}

TEST(ScrollSuppressionPolicy, SwipeCandidateHoldsAndSwipeExtendsTheHold) {
  ScrollSuppressionPolicy policy;
  const double t = 10.0;
  policy.updateForFrame(3, 0.5, t);
  EXPECT_EQ(policy.updateForEvent(kCandidate, 3, t), Mode::all);
  EXPECT_DOUBLE_EQ(policy.suppressAllUntil(), t + 0.35);
  EXPECT_EQ(policy.updateForEvent(kSwipeLeft, 3, t + 0.1), Mode::all);
  EXPECT_DOUBLE_EQ(policy.suppressAllUntil(), t + 0.7);
  // A later candidate with a shorter hold never pulls the deadline back.
  policy.updateForEvent(kCandidate, 3, t + 0.2);
  EXPECT_DOUBLE_EQ(policy.suppressAllUntil(), t + 0.7);

  EXPECT_EQ(policy.updateForFrame(3, 1.0, t + 0.69), Mode::all);
  EXPECT_EQ(policy.updateForFrame(3, 1.0, t + 0.7), Mode::none);
}

TEST(ScrollSuppressionPolicy, OneFingerSwipeHoldsOnlyHorizontalScrolling) {
  ScrollSuppressionPolicy policy;
  policy.updateForFrame(1, 0.3, 10.0);
  EXPECT_EQ(policy.updateForEvent(GestureEvent::swipe(1, Direction::right), 1, 10.0),
            Mode::horizontalOnly);
  EXPECT_DOUBLE_EQ(policy.suppressHorizontalUntil(), 10.6);
  EXPECT_EQ(policy.updateForFrame(1, 0.5, 10.59), Mode::horizontalOnly);
  EXPECT_EQ(policy.updateForFrame(1, 0.6, 10.6), Mode::none);
}

TEST(ScrollSuppressionPolicy, DragSuppressesEverythingUntilItEnds) {
  ScrollSuppressionPolicy policy;
  policy.updateForFrame(1, 0.5, 10.0);
  EXPECT_EQ(policy.updateForEvent(GestureEvent::dragBegan(1, 2), 1, 10.0), Mode::all);
  EXPECT_EQ(policy.updateForFrame(1, 5.0, 15.0), Mode::all);
  // The end of the drag does not lower the mode by itself; the next frame does.
  EXPECT_EQ(policy.updateForEvent(GestureEvent::dragEnded(), 1, 15.0), Mode::all);
  EXPECT_FALSE(policy.isDragging());
  EXPECT_EQ(policy.updateForFrame(1, 5.01, 15.01), Mode::none);
}

TEST(ScrollSuppressionPolicy, EventsNeverLowerTheMode) {
  ScrollSuppressionPolicy policy;
  ASSERT_EQ(policy.updateForFrame(2, 0.0, 10.0), Mode::all);
  EXPECT_EQ(policy.updateForEvent(GestureEvent::tap(2), 2, 10.0), Mode::all);
  // A horizontal hold arriving while everything is swallowed keeps everything swallowed.
  EXPECT_EQ(policy.updateForEvent(GestureEvent::swipe(1, Direction::left), 1, 10.0), Mode::all);
  EXPECT_EQ(policy.updateForFrame(2, 0.3, 10.3), Mode::horizontalOnly);
}

TEST(ScrollSuppressionPolicy, EmptySurfaceResetsEveryHold) {
  ScrollSuppressionPolicy policy;
  policy.updateForFrame(2, 0.5, 10.0);
  policy.updateForEvent(kSwipeLeft, 2, 10.0);
  policy.updateForEvent(GestureEvent::swipe(1, Direction::left), 1, 10.0);
  policy.updateForEvent(GestureEvent::dragBegan(0, 0), 1, 10.0);
  EXPECT_EQ(policy.updateForFrame(0, 0.0, 10.05), Mode::none);
  EXPECT_FALSE(policy.isDragging());
  EXPECT_EQ(policy.updateForFrame(1, 0.0, 10.1), Mode::none);
}

}  // namespace
}  // namespace tactora
