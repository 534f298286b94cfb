// Taps: what qualifies, how the fingers of one session add up, debounce, streaks, the right-front
// zone and the physical button.
#include "EngineScriptTest.h"

namespace tactora::testing {
namespace {

const ScriptCase tapCases[] = {
    // Too short (0.02 s) spoils the whole session; too long (0.40 s) is no tap.
    {"DurationLimitsAndTheSpoiledSession",
     [](auto& s, auto&) {
       s.down(1, 0.3, 0.3).down(2, 0.4, 0.3).at(0.00);
       s.up(1).at(0.02);
       s.up(2).at(0.10);
       s.down(3, 0.3, 0.3).at(1.00);
       s.up(3).at(1.40);
     },
     {}},
    // The size test takes the peak over the whole contact, not the size at lift.
    {"PeakSizeMustReachTheFloor",
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
    // Rolls towards the front just before lifting (never a one-finger swipe, ignored by the slide
    // test): 8 mm allowed under 0.15 s, 3 mm after.
    {"TravelLimitOfQuickAndSlowTaps",
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
    // 5 mm in the middle of a 0.12 s contact is a flick (about 70 mm/s), unless the test is off;
    // 7 mm while landing (the first 20 ms) is no slide.
    {"SlideInTheMiddleOfTheContactButNotWhileLanding",
     [](auto& s, auto& t) {
       for (int i = 0; i < 2; ++i) {
         s.down(i, 0.3, 0.3).at(i);
         s.hold().at(i + 0.03);
         s.moveBy(i, 0.05f, 0).until(i + 0.06);
         s.up(i).at(i + 0.12);
         t.tune([](auto& c) { c.tapMaxSlideSpeedMMPerS = 0; });
       }
       t.tune([](auto& c) { c.tapMaxSlideSpeedMMPerS = 50; });
       s.down(3, 0.3, 0.3).at(3.00);
       s.moveBy(3, 0, 0.035f).at(3.01);
       s.moveBy(3, 0, 0.035f).at(3.02);
       s.up(3).at(3.10);
     },
     {tap(1), tap(1)}},
    {"FingersNeedNotLandOrLiftTogether",
     [](auto& s, auto&) {
       s.down(1, 0.2, 0.3).at(0.00);
       s.down(2, 0.3, 0.3).at(0.05);
       s.up(1).at(0.12);
       s.down(3, 0.4, 0.3).at(0.14);
       s.up(2).at(0.20);
       s.up(3).at(0.25);
     },
     {tap(3)}},
    {"RestingFingerIsDroppedAndTheTapFires",
     [](auto& s, auto&) {
       s.down(1, 0.2, 0.3).at(0.00);
       s.down(2, 0.4, 0.3).at(0.10);
       s.up(2).at(0.20);
       s.up(1).at(1.00);
     },
     {tap(1)}},
    // The second session closes 0.04 s after the first and is dropped; the third still continues
    // the streak; a two-finger tap starts a new one.
    {"DebounceAndFingerCountOfTheStreak",
     [](auto& s, auto&) {
       s.down(1, 0.3, 0.3).at(0.00);
       s.up(1).down(2, 0.3, 0.3).at(0.10);
       s.up(2).at(0.14);
       s.down(3, 0.3, 0.3).at(0.20);
       s.up(3).at(0.30);
       for (int i = 0; i < 2; ++i) {
         s.down(4, 0.3, 0.3).down(5, 0.4, 0.3).at(0.4 + 0.2 * i);
         s.up(4).up(5).at(0.5 + 0.2 * i);
       }
     },
     {tap(1), doubleTap(1), tap(2), doubleTap(2)}},
    // Each tap comes within 0.3 s of the previous one, though not of the first, and the streak
    // stays at three; the fifth comes too late.
    {"StreakWindowRunsFromThePreviousTap",
     [](auto& s, auto&) {
       const double downs[] = {0.00, 0.30, 0.58, 0.88, 1.20};
       const double ups[] = {0.10, 0.38, 0.66, 0.94, 1.27};
       for (int i = 0; i < 5; ++i) {
         s.down(i, 0.3, 0.3).at(downs[i]);
         s.up(i).at(ups[i]);
       }
     },
     {tap(1), doubleTap(1), tripleTap(1), tripleTap(1), tap(1)}},
    // Taps 0.14 s apart. Zone taps (both edges belong to it) never form a streak and end one; just
    // outside the zone taps continue theirs; two fingers there tap ordinarily; the switch turns
    // the zone off.
    {"RightFrontZone",
     [](auto& s, auto& t) {
       const float x[] = {0.62f, 0.70f, 0.30f, 0.70f, 0.30f, 0.70f, 0.55f, 0.70f, 0.70f};
       const float y[] = {0.40f, 0.50f, 0.50f, 0.50f, 0.50f, 0.30f, 0.90f, 0.50f, 0.50f};
       for (int i = 0; i < 9; ++i) {
         if (i == 7) {
           s.down(10, 0.8f, 0.5f);
         }
         if (i == 8) {
           t.tune([](auto& c) { c.rightZoneTapEnabled = false; });
         }
         s.down(i, x[i], y[i]).at(0.14 * i);
         s.up(i).up(10).at(0.14 * i + 0.08);
       }
     },
     {rightZoneTap(), rightZoneTap(), tap(1), rightZoneTap(), tap(1), doubleTap(1), tripleTap(1),
      tap(2), tap(1)}},
    {"ClickWithAFingerDownIsNoTap",
     [](auto& s, auto&) {
       s.down(1, 0.3, 0.3).at(0.00);
       s.button(true).at(0.04);
       s.button(false).at(0.06);
       s.up(1).at(0.10);
       s.down(2, 0.3, 0.3).at(1.00);
       s.up(2).at(1.10);
     },
     {tap(1)}},
};

INSTANTIATE_TEST_SUITE_P(Taps, ScriptedBehaviour, ::testing::ValuesIn(tapCases), caseName);

}  // namespace
}  // namespace tactora::testing
