// The gesture engine fed by touch scripts: taps, swipes, pinches and drags, how the recognizers
// share a frame, tuning changes and resets while contacts are down, and input it must not trust.
#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GestureEngine/GestureEngine.h"
#include "support/GestureLog.h"
#include "support/TouchScript.h"

namespace tactora::testing {
namespace {

// A gesture engine on a manual clock, fed by a touch script, with its events in `events`. Every
// event must be checked: whatever is left unchecked at the end fails the test.
class EngineScriptTest : public ::testing::Test {
 public:
  // Changes the tuning the way the application does: through updateConfig.
  void tune(const std::function<void(RecognitionConfig&)>& change) {
    change(config);
    engine.updateConfig(config);
  }

  double nowSeconds = 0;
  RecognitionConfig config = RecognitionConfig::defaults();
  GestureEngine engine{config, [this] { return nowSeconds; }};
  GestureLog events;
  TouchScript script{
      [this](double seconds) { nowSeconds = seconds; },
      [this](const BorrowedFrame& frame) { engine.process(frame, events.emitter()); }};

 protected:
  void TearDown() override {
    EXPECT_TRUE(events.unchecked().empty())
        << "unexpected events: " << describe(events.unchecked());
  }
};

// One behaviour: what the fingers (and the test) do, and every event that must come of it, in
// order. Surface 100 x 100 mm, so 0.01 of a position is 1 mm; the pointer starts at (500, 400).
struct ScriptCase {
  const char* name;
  std::function<void(TouchScript& s, EngineScriptTest& t)> play;
  std::vector<GestureEvent> expected;
};

class ScriptedBehaviour : public EngineScriptTest,
                          public ::testing::WithParamInterface<ScriptCase> {};

std::string caseName(const ::testing::TestParamInfo<ScriptCase>& info) {
  return info.param.name;
}

void fingerRest(RecognitionConfig& c) {
  c.dragActivation = DragActivation::fingerRest;
}

TEST_P(ScriptedBehaviour, ProducesExactlyTheExpectedEvents) {
  GetParam().play(script, *this);
  EXPECT_EVENTS(GetParam().expected);
}

// Taps: what qualifies, how the fingers of one session add up, debounce, streaks, the right-front
// zone and the physical button.
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
};

INSTANTIATE_TEST_SUITE_P(Taps, ScriptedBehaviour, ::testing::ValuesIn(tapCases), caseName);

// Swipes: one or more fingers sliding together while the mouse stays still.
const ScriptCase swipeCases[] = {
    // Horizontal swipes need 12 mm, vertical ones 8 mm, at 60 mm/s on average since touch-down;
    // the candidate comes at 35% of the travel and a session fires once however far it goes on.
    // 1 mm short only the candidate comes; a button click in the session stops both.
    {"CandidateThenSwipeOncePerSessionUnlessShortOrClicked",
     [](auto& s, auto&) {
       const float dx[] = {-0.26f, 0, 0.11f, 0.26f};
       const float dy[] = {0, -0.07f, 0, 0};
       for (int k = 0; k < 4; ++k) {
         s.down(10 * k, 0.35f, 0.45f).down(10 * k + 1, 0.41f, 0.45f).down(10 * k + 2, 0.47f, 0.45f);
         s.button(k == 3).at(k);
         s.moveBy({10 * k, 10 * k + 1, 10 * k + 2}, dx[k], dy[k]).button(false).until(k + 0.10);
         s.up(10 * k).up(10 * k + 1).up(10 * k + 2).at(k + 0.11);
       }
     },
     {swipeCandidateBegan(), swipe(3, Direction::left), swipeCandidateBegan(),
      swipeCandidateBegan()}},
    // 20 mm to the left fires; 17 mm gets only as far as the candidate; switched off, nothing.
    {"OneFingerSwipesHorizontallyOver18mm",
     [](auto& s, auto& t) {
       s.down(1, 0.5, 0.5).at(0.00);
       s.moveBy(1, -0.20f, 0).until(0.20);
       s.up(1).at(0.21);
       s.down(2, 0.3, 0.5).at(1.00);
       s.moveBy(2, 0.17f, 0).until(1.17);
       s.up(2).at(1.18);
       t.tune([](auto& c) { c.oneFingerSwipeEnabled = false; });
       s.down(3, 0.5, 0.5).at(2.00);
       s.moveBy(3, -0.20f, 0).until(2.20);
       s.up(3).at(2.21);
     },
     {swipeCandidateBegan(), swipe(1, Direction::left), swipeCandidateBegan()}},
    // One finger towards the back is scrolling; sideways it must beat forwards 2.5 times.
    {"OneFingerIsNeverVerticalAndClearlyHorizontal",
     [](auto& s, auto&) {
       s.down(1, 0.5, 0.5).at(0.00);
       s.moveBy(1, 0, -0.20f).until(0.20);
       s.up(1).at(0.21);
       s.down(2, 0.3, 0.3).at(1.00);
       s.moveBy(2, 0.20f, 0.09f).until(1.20);
       s.up(2).at(1.21);
     },
     {}},
    {"SeveralFingersNeedOneAxisToDominateByHalf",
     [](auto& s, auto&) {
       s.down(1, 0.3, 0.3).down(2, 0.4, 0.3).at(0.00);
       s.moveBy({1, 2}, 0.10f, 0.08f).until(0.10);
       s.up(1).up(2).at(0.11);
     },
     {}},
    // One finger above the other: the slower must cover half the way of the faster (9 of 20 mm
    // does not, 11 of 20 does).
    {"FingersMustAgreeOnTheirTravel",
     [](auto& s, auto&) {
       for (int i = 0; i < 2; ++i) {
         s.down(1, 0.3, 0.4).down(2, 0.3, 0.5).at(i);
         s.moveBy(1, 0.20f, 0).moveBy(2, i == 0 ? 0.09f : 0.11f, 0).until(i + 0.15);
         s.up(1).up(2).at(i + 0.16);
       }
     },
     {swipeCandidateBegan(), swipe(2, Direction::right)}},
    {"ReportsTheLargestFingerCountOfTheSession",
     [](auto& s, auto&) {
       s.down(1, 0.3, 0.4).down(2, 0.4, 0.4).down(3, 0.5, 0.4).at(0.00);
       s.up(3).at(0.02);
       s.moveBy({1, 2}, 0.13f, 0).until(0.14);
       s.up(1).up(2).at(0.15);
     },
     {swipeCandidateBegan(), swipe(3, Direction::right)}},
    // Speed counts from the earliest touch-down of the fingers still down: a finger that rested
    // and lifted no longer slows the swipe; one that rested and slides along does.
    {"SpeedCountsFromTheEarliestTouchDownStillDown",
     [](auto& s, auto&) {
       s.down(1, 0.2, 0.7).at(0.00);
       s.up(1).down(2, 0.3, 0.4).down(3, 0.4, 0.4).at(1.00);
       s.moveBy({2, 3}, 0.13f, 0).until(1.15);
       s.up(2).up(3).at(1.16);
       s.down(4, 0.2, 0.6).at(2.00);
       s.down(5, 0.3, 0.4).down(6, 0.4, 0.4).at(3.00);
       s.moveBy({4, 5, 6}, 0.13f, 0).until(3.15);
       s.up(4).up(5).up(6).at(3.16);
     },
     {swipeCandidateBegan(), swipe(2, Direction::right)}},
    // On a 50 x 90 mm surface 0.1 of the depth is 9 mm, 0.2 of the width only 10 mm.
    {"SurfaceSizeScalesEachAxis",
     [](auto& s, auto&) {
       s.surface(50, 90);
       s.down(1, 0.3, 0.4).down(2, 0.5, 0.4).at(0.00);
       s.moveBy({1, 2}, 0, 0.10f).until(0.10);
       s.up(1).up(2).at(0.11);
       s.down(3, 0.3, 0.4).down(4, 0.3, 0.5).at(1.00);
       s.moveBy({3, 4}, 0.20f, 0).until(1.10);
       s.up(3).up(4).at(1.11);
     },
     {swipeCandidateBegan(), swipe(2, Direction::up), swipeCandidateBegan()}},
};

INSTANTIATE_TEST_SUITE_P(Swipes, ScriptedBehaviour, ::testing::ValuesIn(swipeCases), caseName);

// Pinches: two fingers moving apart (spread, `up`) or together (pinch, `down`).
// Fingers 20 mm apart along (ax, ay) each move `mm` outwards in 0.1 s, then as far again.
std::function<void(TouchScript&, EngineScriptTest&)> moveApart(float ax, float ay, float mm) {
  return [=](TouchScript& s, EngineScriptTest&) {
    s.down(1, 0.5f - 0.1f * ax, 0.5f - 0.1f * ay).down(2, 0.5f + 0.1f * ax, 0.5f + 0.1f * ay);
    s.at(0.00);
    for (double end : {0.10, 0.20}) {
      s.moveBy(1, -ax * mm / 100, -ay * mm / 100).moveBy(2, ax * mm / 100, ay * mm / 100);
      s.until(end);
    }
    s.up(1).up(2).at(0.50);
  };
}

const float diagonal = std::sqrt(0.5f);

const ScriptCase pinchCases[] = {
    {"SpreadSideBySide", moveApart(1, 0, 4), {pinch(Direction::up)}},
    {"PinchDiagonally", moveApart(diagonal, diagonal, -3), {pinch(Direction::down)}},
    {"OneFingerMovingAwayFromARestingOne",
     [](auto& s, auto&) {
       s.down(1, 0.4, 0.5).down(2, 0.6, 0.5).at(0.00);
       s.moveBy(2, 0.10f, 0).until(0.10);
       s.up(1).up(2).at(0.50);
     },
     {}},
    {"SessionWithAThirdFingerNeverFires",
     [](auto& s, auto&) {
       s.down(1, 0.4, 0.5).down(2, 0.6, 0.5).down(3, 0.5, 0.7).at(0.00);
       s.up(3).at(0.02);
       s.moveBy(1, -0.05f, 0).moveBy(2, 0.05f, 0).until(0.12);
       s.up(1).up(2).at(0.50);
       s.down(4, 0.4, 0.5).down(5, 0.6, 0.5).at(1.00);
       s.moveBy(4, -0.05f, 0).moveBy(5, 0.05f, 0).until(1.10);
       s.up(4).up(5).at(1.50);
     },
     {pinch(Direction::up)}},
    // The mean is a 15 mm swipe, the distance grew 6 mm: both in one frame, the swipe first.
    {"SwipeAndSpreadFromOneMovement",
     [](auto& s, auto&) {
       s.down(1, 0.3, 0.5).down(2, 0.4, 0.5).at(0.00);
       s.moveBy(1, 0.12f, 0).moveBy(2, 0.18f, 0).at(0.05);
       s.up(1).up(2).at(0.50);
     },
     {swipeCandidateBegan(), swipe(2, Direction::right), pinch(Direction::up)}},
};

INSTANTIATE_TEST_SUITE_P(Pinches, ScriptedBehaviour, ::testing::ValuesIn(pinchCases), caseName);

// Drags: click-and-drag with a resting finger, driven by the pointer (the whole mouse moves), and
// scrolling with a second finger during the drag.
// Finger 1 rests (finger-rest mode) and the mouse moves 10 points: the drag starts at 0.05.
void restAndDrag(TouchScript& s, EngineScriptTest& t) {
  t.tune(fingerRest);
  s.down(1, 0.3, 0.5).at(0.00);
  s.pointerBy(10, 0).at(0.05);
}

const ScriptCase dragCases[] = {
    // Touching again 0.4 s after the tap is too late; with activation disabled nothing drags.
    {"NoCandidateTooLateOrWhenDisabled",
     [](auto& s, auto& t) {
       for (int i = 0; i < 2; ++i) {
         s.down(1, 0.3, 0.3).at(i);
         s.up(1).at(i + 0.10);
         s.down(2, 0.3, 0.3).at(i + (i == 0 ? 0.50 : 0.20));
         s.pointerBy(40, 0).until(i + 0.70);
         s.up(2).at(i + 0.90);
         t.tune([](auto& c) { c.dragActivation = DragActivation::disabled; });
       }
     },
     {tap(1), tap(1)}},
    // 8 points of travel are not enough: the drag starts on the frame with 9. The button ends it
    // on its own frame.
    {"PointerTravelMustExceedTheThresholdAndTheButtonEndsTheDrag",
     [](auto& s, auto& t) {
       t.tune(fingerRest);
       s.down(1, 0.3, 0.5).at(0.00);
       s.pointerBy(8, 0).at(0.05);
       s.pointerBy(1, 0).at(0.06);
       s.button(true).at(0.07);
       s.button(false).at(0.08);
       s.up(1).at(0.10);
     },
     {dragBegan(500, 400), dragEnded()}},
    // Velocity is 0.7 * previous + 0.3 * (delta / dt): (0, 120) after 4 mm in 0.01 s, then
    // (-300, 384) after (-1, 1) mm in 0.0005 s, which counts as 0.001 s. The drag goes on.
    {"SecondFingerScrollsWithSmoothedVelocity",
     [](auto& s, auto& t) {
       restAndDrag(s, t);
       s.down(2, 0.6, 0.5).at(0.06);
       s.moveBy(2, 0, 0.04f).at(0.07);
       s.moveBy(2, -0.01f, 0.01f).at(0.0705);
       s.up(2).at(0.08);
       s.up(1).at(0.09);
     },
     {dragBegan(500, 400), dragMoved(), dragMoved(), dragScrollMoved(0, 4), dragMoved(),
      dragScrollMoved(-1, 1), dragMoved(), dragScrollEnded(-300, 384), dragEnded()}},
    // A finger that cannot scroll ends the drag: with drag-scroll off, or when a scroll finger is
    // down already (which is then silent).
    {"UnplaceableFingerEndsTheDrag",
     [](auto& s, auto& t) {
       restAndDrag(s, t);
       s.down(2, 0.6, 0.5).at(0.06);
       s.down(3, 0.7, 0.3).at(0.07);
       s.moveBy(2, 0, 0.04f).at(0.08);
       s.up(2).at(0.09);
       s.up(1).up(3).at(0.60);
       t.tune([](auto& c) { c.dragScrollEnabled = false; });
       s.down(4, 0.3, 0.5).at(1.00);
       s.pointerBy(10, 0).at(1.05);
       s.down(5, 0.6, 0.5).at(1.06);
       s.moveBy(5, 0, 0.04f).until(1.50);
       s.up(4).up(5).at(1.60);
     },
     {dragBegan(500, 400), dragMoved(), dragMoved(), dragEnded(), dragBegan(510, 400), dragMoved(),
      dragEnded()}},
    // Finger 2 rests before the drag: as scroll finger it stays silent within 1.5 mm of where it
    // lay, then its first scroll covers the whole 2 mm.
    {"FingerRestingAtDragStartScrollsOnlyPastTheDeadZone",
     [](auto& s, auto&) {
       s.down(2, 0.2, 0.7).at(0.00);
       s.hold().at(0.40);
       s.down(1, 0.5, 0.3).at(0.50);
       s.up(1).at(0.60);
       s.down(3, 0.5, 0.3).at(0.70);
       s.pointerBy(10, 0).at(0.75);
       s.moveBy(2, 0, 0.01f).at(0.80);
       s.moveBy(2, 0, 0.01f).at(0.85);
       s.up(3).at(0.86);
       s.up(2).at(0.87);
     },
     std::vector{tap(1), dragBegan(500, 400)} + repeated(dragMoved(), 9) +
         std::vector{dragScrollMoved(0, 2), dragMoved(), dragEnded()}},
    // A finger landing before the drag starts waits; it scrolls from where it is at drag start,
    // with no dead zone.
    {"PendingFingerScrollsOnceTheDragStarts",
     [](auto& s, auto& t) {
       t.tune(fingerRest);
       s.down(1, 0.3, 0.5).at(0.00);
       s.down(2, 0.6, 0.5).at(0.02);
       s.moveBy(2, 0, 0.03f).at(0.04);
       s.pointerBy(10, 0).at(0.06);
       s.moveBy(2, 0, 0.01f).at(0.07);
       s.up(2).at(0.08);
       s.up(1).at(0.09);
     },
     {dragBegan(500, 400), dragMoved(), dragScrollMoved(0, 1), dragMoved(), dragScrollEnded(0, 30),
      dragEnded()}},
};

INSTANTIATE_TEST_SUITE_P(Drags, ScriptedBehaviour, ::testing::ValuesIn(dragCases), caseName);

// The engine as a whole.

// `frames` frames of a drag whose scroll finger moves (dxMM, dyMM) in each.
std::vector<GestureEvent> dragFrames(int frames, float dxMM, float dyMM) {
  std::vector<GestureEvent> events;
  for (int i = 0; i < frames; ++i) {
    events.push_back(dragMoved());
    events.push_back(dragScrollMoved(dxMM, dyMM));
  }
  return events;
}

// Drag finger 1 and scroll finger 2 have been down since 0.03 s.
void dragWithScrollFinger(TouchScript& s, EngineScriptTest& t, float x1, float x2) {
  t.tune(fingerRest);
  s.down(1, x1, 0.3).at(0.00);
  s.pointerBy(10, 0).at(0.02);
  s.down(2, x2, 0.3).at(0.03);
}

const ScriptCase engineCases[] = {
    // Finger 1 taps while 2 and 3 slide; they only agree as a swipe once finger 1 has lifted,
    // in the frame that also closes the tap session.
    {"TapEventsComeBeforeSwipeEventsOfTheSameFrame",
     [](auto& s, auto&) {
       s.down(1, 0.2, 0.7).down(2, 0.3, 0.3).down(3, 0.4, 0.3).at(0.00);
       s.moveBy({2, 3}, 0.13f, 0).up(1).until(0.10);
       s.up(2).up(3).at(0.20);
     },
     {tap(1), swipeCandidateBegan(), swipe(3, Direction::right)}},
    // Both fingers slide 9 mm up during the drag: no swipe, and after a third finger has ended
    // the drag that session stays silent although its fingers go on (21 mm on average).
    {"NoSwipeDuringADragNorLaterInThatSession",
     [](auto& s, auto& t) {
       dragWithScrollFinger(s, t, 0.3f, 0.4f);
       s.moveBy({1, 2}, 0, 0.09f).until(0.10);
       s.down(3, 0.5, 0.3).at(0.11);
       s.moveBy({1, 2, 3}, 0, 0.15f).until(0.20);
       s.up(1).up(2).up(3).at(0.21);
     },
     std::vector{dragBegan(500, 400), dragMoved()} + dragFrames(7, 0, 9.0f / 7) +
         std::vector{dragMoved(), dragEnded()}},
    {"SwipeFirstReachedAfterTheDragEndedFires",
     [](auto& s, auto& t) {
       t.tune([](auto& c) { c.dragScrollEnabled = false; });
       dragWithScrollFinger(s, t, 0.3f, 0.4f);
       s.moveBy({1, 2}, 0, 0.09f).until(0.10);
       s.up(1).up(2).at(0.11);
     },
     {dragBegan(500, 400), dragMoved(), dragEnded(), swipeCandidateBegan(),
      swipe(2, Direction::up)}},
    // The button ends the drag but means nothing to the pinch recognizer: only the mark left
    // during the drag keeps the spread that goes on from firing.
    {"PinchReachedDuringADragStaysSilentForItsSession",
     [](auto& s, auto& t) {
       dragWithScrollFinger(s, t, 0.4f, 0.6f);
       s.moveBy(1, -0.04f, 0).moveBy(2, 0.04f, 0).until(0.10);
       s.button(true).at(0.11);
       s.button(false).at(0.12);
       s.moveBy(1, -0.02f, 0).moveBy(2, 0.02f, 0).until(0.20);
       s.up(1).up(2).at(0.50);
     },
     std::vector{dragBegan(500, 400), dragMoved()} + dragFrames(7, 4.0f / 7, 0) +
         std::vector{dragEnded()}},
    {"TuningChangedMidContactJudgesByTheNewValues",
     [](auto& s, auto& t) {
       s.down(1, 0.3, 0.3).at(0.00);
       s.hold().at(0.20);
       t.tune([](auto& c) { c.tapMaxDuration = 0.6; });
       s.up(1).at(0.50);
       s.down(2, 0.3, 0.3).at(2.00);
       s.hold().at(2.05);
       t.tune([](auto& c) { c.tapMaxDuration = 0.08; });
       s.up(2).at(2.10);
     },
     {tap(1)}},
    // The device reports at most 16 contacts; a 17th is not followed for its whole life.
    {"SeventeenthContactIsIgnored",
     [](auto& s, auto&) {
       for (int id = 1; id <= 17; ++id) {
         s.down(id, 0.05f * id, 0.3f);
       }
       s.at(0.00);
       for (int id = 1; id <= 17; ++id) {
         s.up(id);
       }
       s.at(0.10);
       s.down(30, 0.3, 0.3).at(1.00);
       s.up(30).at(1.10);
     },
     {tap(16), tap(1)}},
};

INSTANTIATE_TEST_SUITE_P(Engine, ScriptedBehaviour, ::testing::ValuesIn(engineCases), caseName);

using GestureEngineReset = EngineScriptTest;

// After the reset no recognizer knows the two fingers: their slide is no swipe, no drag-scroll.
TEST_F(GestureEngineReset, DuringADragEndsItExactlyOnceAndForgetsItsContacts) {
  tune(fingerRest);
  script.down(1, 0.30, 0.50).down(2, 0.60, 0.50).at(0.00);
  script.pointerBy(10, 0).at(0.05);
  EXPECT_EVENTS(dragBegan(500, 400));
  EXPECT_TRUE(engine.isDragging());
  engine.reset(events.emitter());
  EXPECT_EVENTS(dragEnded());
  engine.reset(events.emitter());
  EXPECT_NO_EVENTS();
  EXPECT_FALSE(engine.isDragging());

  script.moveBy({1, 2}, 0.13f, 0).until(0.10);
  script.up(1).up(2).at(0.11);
  script.down(3, 0.30, 0.30).at(1.00);
  script.up(3).at(1.10);
  EXPECT_EVENTS(tap(1));
}

// Frames built by hand whose phases do not fit what the recognizers know: moves and lifts of a
// contact never seen, and a repeated touch-down, which must not restart the contact (it lifts
// 0.5 s after its first touch-down: no tap).
TEST_F(GestureEngineReset, UnknownContactsAndRepeatedTouchDownsAreIgnored) {
  auto feed = [&](double seconds, std::int32_t id, TouchPhase phase) {
    nowSeconds = seconds;
    const Touch touch{id, phase, {0.3f, 0.3f}, {}, 1.0f, 0.0f};
    engine.process(BorrowedFrame{seconds, {100, 100}, {&touch, 1}, false, {}}, events.emitter());
  };
  feed(0.00, 7, TouchPhase::moved);
  feed(0.10, 7, TouchPhase::ended);
  feed(1.00, 1, TouchPhase::began);
  feed(1.40, 1, TouchPhase::began);
  feed(1.50, 1, TouchPhase::ended);
  EXPECT_NO_EVENTS();
}

// Uptime is the nanosecond count divided once: whole seconds plus a separately rounded fraction
// would give 43570.652165770996 here.
TEST(UptimeClock, SecondsAreTheCorrectlyRoundedNanosecondCount) {
  EXPECT_EQ(uptimeSecondsFromNanoseconds(43'570'652'165'771u), 43570.652165771);
  EXPECT_EQ(uptimeSecondsFromNanoseconds(1'500'000'000u), 1.5);
}

}  // namespace
}  // namespace tactora::testing
