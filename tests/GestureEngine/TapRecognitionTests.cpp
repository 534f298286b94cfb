// Taps: what qualifies, how fingers of one session add up, debounce, streaks, the right-front
// zone and the physical button. Surface 100 x 100 mm: 0.01 of a position is 1 mm.
#include "EngineScriptTest.h"

namespace tactora::testing {
namespace {

using TapRecognition = EngineScriptTest;

TEST_F(TapRecognition, RestingTouchOfATenthOfASecondIsATap) {
  script.down(1, 0.50, 0.50).at(0.00);
  script.up(1).at(0.10);
  EXPECT_EVENTS(tap(1));
}

TEST_F(TapRecognition, ContactsTooShortOrTooLongAreNoTaps) {
  script.down(1, 0.30, 0.30).at(0.00);
  script.up(1).at(0.02);
  script.down(2, 0.30, 0.30).at(1.00);
  script.up(2).at(1.40);
  EXPECT_NO_EVENTS();
}

TEST_F(TapRecognition, AnUnqualifiedLiftSpoilsTheWholeSession) {
  script.down(1, 0.30, 0.30).down(2, 0.40, 0.30).at(0.00);
  script.up(1).at(0.02);  // too short
  script.up(2).at(0.10);
  EXPECT_NO_EVENTS();
}

TEST_F(TapRecognition, TightSizeFloorNeedsAPeakThatReachesIt) {
  tune([](RecognitionConfig& c) { c.minTouchSize = 0.5f; });
  script.down(1, 0.30, 0.30, 0.3f).at(0.00);
  script.up(1).at(0.10);
  EXPECT_NO_EVENTS();

  script.down(2, 0.30, 0.30, 0.3f).at(1.00);
  script.resize(2, 0.6f).at(1.05);
  script.resize(2, 0.2f).at(1.08);
  script.up(2).at(1.10);
  EXPECT_EVENTS(tap(1));
}

struct TravelCase {
  double liftSeconds;
  float travelMM;
  bool fires;
};

class TapTravel : public EngineScriptTest, public ::testing::WithParamInterface<TravelCase> {};

// The finger rolls towards the front just before it lifts, which the slide test ignores (and which
// is never a one-finger swipe); only the travel limit of a quick (under 0.15 s) or slow contact
// decides.
TEST_P(TapTravel, TravelLimitDependsOnContactDuration) {
  const TravelCase c = GetParam();
  script.down(1, 0.30, 0.30).at(0.00);
  script.moveBy(1, 0, c.travelMM / 100).at(c.liftSeconds - 0.01);
  script.up(1).at(c.liftSeconds);
  if (c.fires) {
    EXPECT_EVENTS(tap(1));
  } else {
    EXPECT_NO_EVENTS();
  }
}

INSTANTIATE_TEST_SUITE_P(QuickAndSlow, TapTravel,
                         ::testing::Values(TravelCase{0.10, 4.0f, true},
                                           TravelCase{0.10, 7.5f, true},
                                           TravelCase{0.10, 9.0f, false},
                                           TravelCase{0.20, 2.5f, true},
                                           TravelCase{0.20, 4.0f, false}));

// 5 mm in the middle of a 0.12 s contact: within the quick travel limit, but it was a flick.
TEST_F(TapRecognition, SlideInTheMiddleOfTheContactIsNoTap) {
  script.down(1, 0.30, 0.30).at(0.00);
  script.hold().at(0.03);
  script.moveBy(1, 0.05f, 0).until(0.06);
  script.up(1).at(0.12);
  EXPECT_NO_EVENTS();

  tune([](RecognitionConfig& c) { c.tapMaxSlideSpeedMMPerS = 0; });
  script.down(2, 0.30, 0.30).at(1.00);
  script.hold().at(1.03);
  script.moveBy(2, 0.05f, 0).until(1.06);
  script.up(2).at(1.12);
  EXPECT_EVENTS(tap(1));
}

// The roll of landing is over 20 ms after touch-down; the slide is measured from there.
TEST_F(TapRecognition, RollingWhileLandingIsNoSlide) {
  script.down(1, 0.30, 0.30).at(0.00);
  script.moveBy(1, 0, 0.035f).at(0.01);
  script.moveBy(1, 0, 0.035f).at(0.02);
  script.up(1).at(0.10);
  EXPECT_EVENTS(tap(1));
}

class TapFingers : public EngineScriptTest, public ::testing::WithParamInterface<int> {
 protected:
  void tapWithAll(double downSeconds, double upSeconds) {
    for (int i = 0; i < GetParam(); ++i) {
      script.down(i + 1 + 10 * static_cast<int>(downSeconds), 0.20f + 0.08f * i, 0.30f);
    }
    script.at(downSeconds);
    for (int i = 0; i < GetParam(); ++i) {
      script.up(i + 1 + 10 * static_cast<int>(downSeconds));
    }
    script.at(upSeconds);
  }
};

TEST_P(TapFingers, FingersLandingAndLiftingTogetherMakeOneTap) {
  tapWithAll(0.00, 0.10);
  EXPECT_EVENTS(tap(GetParam()));
}

TEST_P(TapFingers, StreakCountsUpToTripleAndStaysThere) {
  const int n = GetParam();
  // Each tap closes 0.25 s after the previous one, inside the 0.3 s window.
  for (int k = 0; k < 4; ++k) {
    script.hold();
    for (int i = 0; i < n; ++i) {
      script.down(100 * k + i, 0.20f + 0.08f * i, 0.30f);
    }
    script.at(0.25 * k);
    for (int i = 0; i < n; ++i) {
      script.up(100 * k + i);
    }
    script.at(0.25 * k + 0.10);
  }
  EXPECT_EVENTS(tap(n), doubleTap(n), tripleTap(n), tripleTap(n));
}

INSTANTIATE_TEST_SUITE_P(OneToFour, TapFingers, ::testing::Values(1, 2, 3, 4));

TEST_F(TapRecognition, FingersOfOneSessionNeedNotLandOrLiftTogether) {
  script.down(1, 0.20, 0.30).at(0.00);
  script.down(2, 0.30, 0.30).at(0.05);
  script.up(1).at(0.12);
  script.down(3, 0.40, 0.30).at(0.14);
  script.up(2).at(0.20);
  EXPECT_NO_EVENTS();
  script.up(3).at(0.25);
  EXPECT_EVENTS(tap(2 + 1));
}

// The resting finger leaves the session when it has stayed too long; the session then closes on
// the finger that tapped.
TEST_F(TapRecognition, RestingFingerIsDroppedAndTheOtherFingersTapFires) {
  script.down(1, 0.20, 0.30).at(0.00);
  script.down(2, 0.40, 0.30).at(0.10);
  script.up(2).at(0.20);
  EXPECT_NO_EVENTS();
  script.hold().at(0.36);
  EXPECT_EVENTS(tap(1));
  script.up(1).at(1.00);
  EXPECT_NO_EVENTS();
}

TEST_F(TapRecognition, SessionClosingWithinDebounceIsDroppedWithoutTouchingTheStreak) {
  script.down(1, 0.30, 0.30).at(0.00);
  script.up(1).down(2, 0.30, 0.30).at(0.10);  // the second session opens as the first closes
  EXPECT_EVENTS(tap(1));
  script.up(2).at(0.14);  // closes 0.04 s after the first: debounced
  EXPECT_NO_EVENTS();
  script.down(3, 0.30, 0.30).at(0.20);
  script.up(3).at(0.30);
  EXPECT_EVENTS(doubleTap(1));
}

TEST_F(TapRecognition, StreakWindowRunsFromThePreviousTap) {
  script.down(1, 0.30, 0.30).at(0.00);
  script.up(1).at(0.10);
  script.down(2, 0.30, 0.30).at(0.30);
  script.up(2).at(0.38);
  script.down(3, 0.30, 0.30).at(0.58);
  script.up(3).at(0.66);  // 0.56 s after the first tap, 0.28 s after the second
  EXPECT_EVENTS(tap(1), doubleTap(1), tripleTap(1));

  script.down(4, 0.30, 0.30).at(0.90);
  script.up(4).at(0.97);  // 0.31 s after the previous tap: a new streak
  EXPECT_EVENTS(tap(1));
}

TEST_F(TapRecognition, DifferentFingerCountStartsANewStreak) {
  script.down(1, 0.30, 0.30).at(0.00);
  script.up(1).at(0.10);
  script.down(2, 0.30, 0.30).down(3, 0.40, 0.30).at(0.20);
  script.up(2).up(3).at(0.30);
  script.down(4, 0.30, 0.30).down(5, 0.40, 0.30).at(0.40);
  script.up(4).up(5).at(0.50);
  EXPECT_EVENTS(tap(1), tap(2), doubleTap(2));
}

struct ZoneCase {
  float x;
  float y;
  bool enabled;
  bool inZone;
};

class RightZone : public EngineScriptTest, public ::testing::WithParamInterface<ZoneCase> {};

TEST_P(RightZone, OneFingerTapInTheRightFrontCornerIsAZoneTap) {
  const ZoneCase c = GetParam();
  tune([&](RecognitionConfig& config) { config.rightZoneTapEnabled = c.enabled; });
  script.down(1, c.x, c.y).at(0.00);
  script.up(1).at(0.10);
  if (c.inZone) {
    EXPECT_EVENTS(rightZoneTap());
  } else {
    EXPECT_EVENTS(tap(1));
  }
}

INSTANTIATE_TEST_SUITE_P(Corners, RightZone,
                         ::testing::Values(ZoneCase{0.70f, 0.50f, true, true},
                                           ZoneCase{0.62f, 0.40f, true, true},
                                           ZoneCase{0.70f, 0.30f, true, false},
                                           ZoneCase{0.55f, 0.90f, true, false},
                                           ZoneCase{0.70f, 0.50f, false, false}));

TEST_F(TapRecognition, ZoneTapsNeverFormOrContinueAStreak) {
  script.down(1, 0.70, 0.50).at(0.00);
  script.up(1).at(0.10);
  script.down(2, 0.70, 0.50).at(0.20);
  script.up(2).at(0.30);
  EXPECT_EVENTS(rightZoneTap(), rightZoneTap());

  script.down(3, 0.30, 0.30).at(1.00);
  script.up(3).at(1.10);
  script.down(4, 0.70, 0.50).at(1.20);
  script.up(4).at(1.30);
  script.down(5, 0.30, 0.30).at(1.40);
  script.up(5).at(1.50);
  EXPECT_EVENTS(tap(1), rightZoneTap(), tap(1));
}

TEST_F(TapRecognition, TwoFingerTapInTheZoneIsAnOrdinaryTap) {
  script.down(1, 0.70, 0.50).down(2, 0.80, 0.50).at(0.00);
  script.up(1).up(2).at(0.10);
  EXPECT_EVENTS(tap(2));
}

TEST_F(TapRecognition, ClickWithAFingerOnTheSurfaceIsNoTap) {
  script.down(1, 0.30, 0.30).at(0.00);
  script.button(true).at(0.04);
  script.button(false).at(0.06);
  script.up(1).at(0.10);
  EXPECT_NO_EVENTS();

  script.down(2, 0.30, 0.30).at(1.00);
  script.up(2).at(1.10);
  EXPECT_EVENTS(tap(1));
}

// A click reported while no finger is down spoils the next session, not later ones.
TEST_F(TapRecognition, ClickWithoutContactsSpoilsOnlyTheNextSession) {
  script.button(true).at(0.00);
  script.button(false).at(0.01);
  script.down(1, 0.30, 0.30).at(0.50);
  script.up(1).at(0.60);
  script.down(2, 0.30, 0.30).at(1.00);
  script.up(2).at(1.10);
  EXPECT_EVENTS(tap(1));
}

}  // namespace
}  // namespace tactora::testing
