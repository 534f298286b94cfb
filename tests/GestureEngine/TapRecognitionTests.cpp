// Taps: what qualifies, how the fingers of one session add up, debounce, streaks, the right-front
// zone and the physical button.
#include "EngineScriptTest.h"

namespace tactora::testing {
namespace {

INSTANTIATE_TEST_SUITE_P(
    Taps, ScriptedBehaviour,
    ::testing::Values(
        ScriptCase{"RestingTouchOfATenthOfASecond",
                   [](auto& s, auto&) {
                     s.down(1, 0.5, 0.5).at(0.00);
                     s.up(1).at(0.10);
                   },
                   {tap(1)}},
        ScriptCase{"TooShortOrTooLong",
                   [](auto& s, auto&) {
                     s.down(1, 0.3, 0.3).at(0.00);
                     s.up(1).at(0.02);
                     s.down(2, 0.3, 0.3).at(1.00);
                     s.up(2).at(1.40);
                   },
                   {}},
        ScriptCase{"UnqualifiedLiftSpoilsTheSession",
                   [](auto& s, auto&) {
                     s.down(1, 0.3, 0.3).down(2, 0.4, 0.3).at(0.00);
                     s.up(1).at(0.02);
                     s.up(2).at(0.10);
                   },
                   {}},
        ScriptCase{"PeakSizeMustReachTheFloor",
                   [](auto& s, auto& t) {
                     t.tune([](auto& c) { c.minTouchSize = 0.5f; });
                     s.down(1, 0.3, 0.3, 0.3f).at(0.00);
                     s.up(1).at(0.10);
                     s.down(2, 0.3, 0.3, 0.3f).at(1.00);
                     s.resize(2, 0.6f).at(1.05);
                     s.resize(2, 0.2f).at(1.08);
                     s.up(2).at(1.10);
                   },
                   {tap(1)}},
        // Rolls towards the front just before lifting (never a one-finger swipe, ignored by the
        // slide test): 8 mm allowed under 0.15 s, 3 mm after.
        ScriptCase{"TravelLimitOfQuickAndSlowTaps",
                   [](auto& s, auto&) {
                     const float travelMM[] = {7.5f, 9.0f, 2.5f, 4.0f};
                     const double durationSeconds[] = {0.10, 0.10, 0.20, 0.20};
                     for (int i = 0; i < 4; ++i) {
                       s.down(i, 0.3, 0.3).at(i);
                       s.moveBy(i, 0, travelMM[i] / 100).at(i + durationSeconds[i] - 0.01);
                       s.up(i).at(i + durationSeconds[i]);
                     }
                   },
                   {tap(1), tap(1)}},
        // 5 mm in the middle of a 0.12 s contact is a flick (about 70 mm/s), unless the test is
        // off.
        ScriptCase{"SlideInTheMiddleOfTheContact",
                   [](auto& s, auto& t) {
                     for (int i = 0; i < 2; ++i) {
                       s.down(i, 0.3, 0.3).at(i);
                       s.hold().at(i + 0.03);
                       s.moveBy(i, 0.05f, 0).until(i + 0.06);
                       s.up(i).at(i + 0.12);
                       t.tune([](auto& c) { c.tapMaxSlideSpeedMMPerS = 0; });
                     }
                   },
                   {tap(1)}},
        // The roll of landing is over after 20 ms; the slide is measured from there.
        ScriptCase{"RollingWhileLandingIsNoSlide",
                   [](auto& s, auto&) {
                     s.down(1, 0.3, 0.3).at(0.00);
                     s.moveBy(1, 0, 0.035f).at(0.01);
                     s.moveBy(1, 0, 0.035f).at(0.02);
                     s.up(1).at(0.10);
                   },
                   {tap(1)}},
        ScriptCase{"FingersNeedNotLandOrLiftTogether",
                   [](auto& s, auto&) {
                     s.down(1, 0.2, 0.3).at(0.00);
                     s.down(2, 0.3, 0.3).at(0.05);
                     s.up(1).at(0.12);
                     s.down(3, 0.4, 0.3).at(0.14);
                     s.up(2).at(0.20);
                     s.up(3).at(0.25);
                   },
                   {tap(3)}},
        ScriptCase{"RestingFingerIsDroppedAndTheTapFires",
                   [](auto& s, auto&) {
                     s.down(1, 0.2, 0.3).at(0.00);
                     s.down(2, 0.4, 0.3).at(0.10);
                     s.up(2).at(0.20);
                     s.up(1).at(1.00);
                   },
                   {tap(1)}},
        // The second session closes 0.04 s after the first; the third still continues the streak.
        ScriptCase{"DebouncedSessionLeavesTheStreakAlone",
                   [](auto& s, auto&) {
                     s.down(1, 0.3, 0.3).at(0.00);
                     s.up(1).down(2, 0.3, 0.3).at(0.10);
                     s.up(2).at(0.14);
                     s.down(3, 0.3, 0.3).at(0.20);
                     s.up(3).at(0.30);
                   },
                   {tap(1), doubleTap(1)}},
        ScriptCase{"StreakWindowRunsFromThePreviousTap",
                   [](auto& s, auto&) {
                     const double downs[] = {0.00, 0.30, 0.58, 0.90};
                     const double ups[] = {0.10, 0.38, 0.66, 0.97};
                     for (int i = 0; i < 4; ++i) {
                       s.down(i, 0.3, 0.3).at(downs[i]);
                       s.up(i).at(ups[i]);
                     }
                   },
                   {tap(1), doubleTap(1), tripleTap(1), tap(1)}},
        ScriptCase{"OtherFingerCountStartsANewStreak",
                   [](auto& s, auto&) {
                     s.down(1, 0.3, 0.3).at(0.00);
                     s.up(1).at(0.10);
                     s.down(2, 0.3, 0.3).down(3, 0.4, 0.3).at(0.20);
                     s.up(2).up(3).at(0.30);
                     s.down(4, 0.3, 0.3).down(5, 0.4, 0.3).at(0.40);
                     s.up(4).up(5).at(0.50);
                   },
                   {tap(1), tap(2), doubleTap(2)}},
        ScriptCase{"RightFrontZoneAndItsSwitch",
                   [](auto& s, auto& t) {
                     const float x[] = {0.70f, 0.62f, 0.70f, 0.55f, 0.70f};
                     const float y[] = {0.50f, 0.40f, 0.30f, 0.90f, 0.50f};
                     for (int i = 0; i < 5; ++i) {
                       if (i == 4) {
                         t.tune([](auto& c) { c.rightZoneTapEnabled = false; });
                       }
                       s.down(i, x[i], y[i]).at(i);
                       s.up(i).at(i + 0.10);
                     }
                   },
                   {rightZoneTap(), rightZoneTap(), tap(1), tap(1), tap(1)}},
        ScriptCase{"ZoneTapsNeverFormOrContinueAStreak",
                   [](auto& s, auto&) {
                     const float x[] = {0.7f, 0.7f, 0.3f, 0.7f, 0.3f};
                     for (int i = 0; i < 5; ++i) {
                       s.down(i, x[i], 0.5f).at(0.2 * i);
                       s.up(i).at(0.2 * i + 0.1);
                     }
                   },
                   {rightZoneTap(), rightZoneTap(), tap(1), rightZoneTap(), tap(1)}},
        ScriptCase{"TwoFingersInTheZoneTapOrdinarily",
                   [](auto& s, auto&) {
                     s.down(1, 0.7, 0.5).down(2, 0.8, 0.5).at(0.00);
                     s.up(1).up(2).at(0.10);
                   },
                   {tap(2)}},
        ScriptCase{"ClickWithAFingerDownIsNoTap",
                   [](auto& s, auto&) {
                     s.down(1, 0.3, 0.3).at(0.00);
                     s.button(true).at(0.04);
                     s.button(false).at(0.06);
                     s.up(1).at(0.10);
                     s.down(2, 0.3, 0.3).at(1.00);
                     s.up(2).at(1.10);
                   },
                   {tap(1)}}),
    caseName);

class TapFingers : public EngineScriptTest, public ::testing::WithParamInterface<int> {};

// Taps close 0.25 s apart: every one continues the streak, which stays at three.
TEST_P(TapFingers, TogetherTheyTapAndStreakUpToTriple) {
  const int n = GetParam();
  for (int k = 0; k < 4; ++k) {
    for (int i = 0; i < n; ++i) {
      script.down(10 * k + i, 0.2f + 0.08f * i, 0.3f);
    }
    script.at(0.25 * k);
    for (int i = 0; i < n; ++i) {
      script.up(10 * k + i);
    }
    script.at(0.25 * k + 0.10);
  }
  EXPECT_EVENTS(tap(n), doubleTap(n), tripleTap(n), tripleTap(n));
}

INSTANTIATE_TEST_SUITE_P(OneToFour, TapFingers, ::testing::Values(1, 2, 3, 4));

}  // namespace
}  // namespace tactora::testing
