// Swipes: one or more fingers sliding together while the mouse stays still. Surface 100 x 100 mm
// unless a test says otherwise: 0.01 of a position is 1 mm.
#include <string>

#include "EngineScriptTest.h"

namespace tactora::testing {
namespace {

using SwipeRecognition = EngineScriptTest;

struct SwipeCase {
  int fingers;
  Direction direction;
};

std::string name(const ::testing::TestParamInfo<SwipeCase>& info) {
  return std::to_string(info.param.fingers) + "Fingers" +
         std::string(toString(info.param.direction));
}

class MultiFingerSwipe : public EngineScriptTest, public ::testing::WithParamInterface<SwipeCase> {
 protected:
  void land(double seconds) {
    for (int i = 0; i < GetParam().fingers; ++i) {
      script.down(i + 1, 0.35f + 0.06f * i, 0.45f);
    }
    script.at(seconds);
  }
  // Moves every finger by `mm` along the case's direction, evenly until `seconds`.
  void slide(float mm, double seconds) {
    float dx = 0;
    float dy = 0;
    switch (GetParam().direction) {
      case Direction::left:
        dx = -mm / 100;
        break;
      case Direction::right:
        dx = mm / 100;
        break;
      case Direction::up:
        dy = mm / 100;  // towards the front of the mouse
        break;
      case Direction::down:
        dy = -mm / 100;
        break;
    }
    for (int i = 0; i < GetParam().fingers; ++i) {
      script.moveBy(i + 1, dx, dy);
    }
    script.until(seconds);
  }
  void liftAll(double seconds) {
    for (int i = 0; i < GetParam().fingers; ++i) {
      script.up(i + 1);
    }
    script.at(seconds);
  }
  bool horizontal() const {
    return GetParam().direction == Direction::left || GetParam().direction == Direction::right;
  }
};

// Horizontal swipes need 12 mm, vertical ones 8 mm, both at 60 mm/s or more; the candidate is
// announced at 35% of the travel.
TEST_P(MultiFingerSwipe, FiresOncePerSessionAfterItsCandidate) {
  const SwipeCase c = GetParam();
  land(0.00);
  slide(horizontal() ? 13 : 9, horizontal() ? 0.15 : 0.10);
  EXPECT_EVENTS(swipeCandidateBegan(), swipe(c.fingers, c.direction));
  slide(13, 0.30);
  liftAll(0.31);
  EXPECT_NO_EVENTS();

  land(1.00);
  slide(horizontal() ? 13 : 9, horizontal() ? 1.15 : 1.10);
  EXPECT_EVENTS(swipeCandidateBegan(), swipe(c.fingers, c.direction));
  liftAll(1.20);
}

TEST_P(MultiFingerSwipe, ShortOfTheTravelOnlyAnnouncesTheCandidate) {
  land(0.00);
  slide(horizontal() ? 11 : 7, 0.10);
  liftAll(0.11);
  EXPECT_EVENTS(swipeCandidateBegan());
}

TEST_P(MultiFingerSwipe, RestingBeforeSlidingIsTooSlow) {
  land(0.00);
  script.hold().at(1.00);
  slide(15, 1.10);
  liftAll(1.11);
  EXPECT_NO_EVENTS();
}

TEST_P(MultiFingerSwipe, ButtonHeldDuringTheSessionPreventsTheSwipe) {
  land(0.00);
  script.button(true).at(0.01);
  script.button(false).at(0.02);
  slide(horizontal() ? 13 : 9, 0.12);
  liftAll(0.13);
  EXPECT_NO_EVENTS();
}

INSTANTIATE_TEST_SUITE_P(
    FingersAndDirections, MultiFingerSwipe,
    ::testing::Values(SwipeCase{2, Direction::left}, SwipeCase{2, Direction::right},
                      SwipeCase{2, Direction::up}, SwipeCase{2, Direction::down},
                      SwipeCase{3, Direction::left}, SwipeCase{3, Direction::right},
                      SwipeCase{3, Direction::up}, SwipeCase{3, Direction::down},
                      SwipeCase{4, Direction::left}, SwipeCase{4, Direction::up}),
    name);

TEST_F(SwipeRecognition, OneFingerSwipesHorizontallyOverALongerTravel) {
  script.down(1, 0.50, 0.50).at(0.00);
  script.moveBy(1, -0.20f, 0).until(0.20);
  script.up(1).at(0.21);
  EXPECT_EVENTS(swipeCandidateBegan(), swipe(1, Direction::left));

  script.down(2, 0.30, 0.50).at(1.00);
  script.moveBy(2, 0.17f, 0).until(1.17);  // short of 18 mm
  script.up(2).at(1.18);
  EXPECT_EVENTS(swipeCandidateBegan());
}

TEST_F(SwipeRecognition, OneFingerSwipeCanBeTurnedOff) {
  tune([](RecognitionConfig& c) { c.oneFingerSwipeEnabled = false; });
  script.down(1, 0.50, 0.50).at(0.00);
  script.moveBy(1, -0.20f, 0).until(0.20);
  script.up(1).at(0.21);
  EXPECT_NO_EVENTS();
}

// One finger moving towards the back or front is scrolling, and a one-finger swipe must be
// clearly horizontal: 2.5 times more sideways than forwards.
TEST_F(SwipeRecognition, OneFingerIsNeverVerticalAndMustBeClearlyHorizontal) {
  script.down(1, 0.50, 0.50).at(0.00);
  script.moveBy(1, 0, -0.20f).until(0.20);
  script.up(1).at(0.21);
  script.down(2, 0.30, 0.30).at(1.00);
  script.moveBy(2, 0.20f, 0.09f).until(1.20);
  script.up(2).at(1.21);
  EXPECT_NO_EVENTS();
}

TEST_F(SwipeRecognition, MultiFingerDirectionNeedsOneAxisToDominate) {
  script.down(1, 0.30, 0.30).down(2, 0.40, 0.30).at(0.00);
  script.moveBy({1, 2}, 0.10f, 0.08f).until(0.10);
  script.up(1).up(2).at(0.11);
  EXPECT_NO_EVENTS();
}

// One finger above the other, both sliding right: the slower must cover at least half the way of
// the faster (11 of 20 mm does, 9 of 20 does not).
TEST_F(SwipeRecognition, FingersMustAgreeOnTheirTravel) {
  script.down(1, 0.30, 0.40).down(2, 0.30, 0.50).at(0.00);
  script.moveBy(1, 0.20f, 0).moveBy(2, 0.09f, 0).until(0.15);
  script.up(1).up(2).at(0.16);
  EXPECT_NO_EVENTS();

  script.down(3, 0.30, 0.40).down(4, 0.30, 0.50).at(1.00);
  script.moveBy(3, 0.20f, 0).moveBy(4, 0.11f, 0).until(1.15);
  script.up(3).up(4).at(1.16);
  EXPECT_EVENTS(swipeCandidateBegan(), swipe(2, Direction::right));
}

TEST_F(SwipeRecognition, ReportsTheLargestFingerCountOfTheSession) {
  script.down(1, 0.30, 0.40).down(2, 0.40, 0.40).down(3, 0.50, 0.40).at(0.00);
  script.up(3).at(0.02);
  script.moveBy({1, 2}, 0.13f, 0).until(0.14);
  EXPECT_EVENTS(swipeCandidateBegan(), swipe(3, Direction::right));
  script.up(1).up(2).at(0.15);
}

// Speed is measured from the earliest touch-down of the fingers still down: a finger that rested
// and lifted no longer slows the swipe.
TEST_F(SwipeRecognition, SpeedCountsFromTheEarliestTouchDownOfFingersStillDown) {
  script.down(1, 0.20, 0.70).at(0.00);
  script.up(1).down(2, 0.30, 0.40).down(3, 0.40, 0.40).at(1.00);
  script.moveBy({2, 3}, 0.13f, 0).until(1.15);
  script.up(2).up(3).at(1.16);
  EXPECT_EVENTS(swipeCandidateBegan(), swipe(2, Direction::right));

  script.down(4, 0.20, 0.60).at(2.00);  // rests for a second, then slides with the others
  script.down(5, 0.30, 0.40).down(6, 0.40, 0.40).at(3.00);
  script.moveBy({4, 5, 6}, 0.13f, 0).until(3.15);
  script.up(4).up(5).up(6).at(3.16);
  EXPECT_NO_EVENTS();
}

// Distances are scaled per axis: on a 50 x 90 mm surface, 0.1 of the depth is 9 mm but 0.1 of
// the width only 5 mm.
TEST_F(SwipeRecognition, SurfaceSizeScalesEachAxisSeparately) {
  script.surface(50, 90);
  script.down(1, 0.30, 0.40).down(2, 0.50, 0.40).at(0.00);
  script.moveBy({1, 2}, 0, 0.10f).until(0.10);
  script.up(1).up(2).at(0.11);
  EXPECT_EVENTS(swipeCandidateBegan(), swipe(2, Direction::up));

  script.down(3, 0.30, 0.40).down(4, 0.30, 0.50).at(1.00);
  script.moveBy({3, 4}, 0.20f, 0).until(1.10);  // 10 mm: short of 12
  script.up(3).up(4).at(1.11);
  EXPECT_EVENTS(swipeCandidateBegan());
}

}  // namespace
}  // namespace tactora::testing
