// The gesture engine fed by touch scripts: taps, swipes, pinches and drags, how the recognizers
// share a frame, tuning changes and resets while contacts are down, and input it must not trust.
#include <atomic>
#include <cmath>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "GestureEngine/GestureEngine.h"
#include "GestureEngine/JsonCoding.h"
#include "GestureEngine/RecognitionConfig.h"
#include "support/AllocationCounting.h"
#include "support/GestureLog.h"
#include "support/Race.h"
#include "support/TouchScript.h"

namespace tactora::testing {
namespace {

// A gesture engine on a manual clock, fed by a touch script, with its events in `events`. Every
// event must be checked: whatever is left unchecked at the end fails the test.
class EngineScriptTest : public ::testing::Test {
 public:
  double nowSeconds = 0;
  RecognitionConfig config = RecognitionConfig::defaults();
  GestureEngine engine{config, [this] { return nowSeconds; }};
  GestureLog events;
  // "reset" steps reset the engine; "tune" steps change the tuning the way the application does:
  // through updateConfig, with keys and values as the configuration file names them.
  TouchScript script{
      [this](double seconds) { nowSeconds = seconds; },
      [this](const BorrowedFrame& frame) { engine.process(frame, events.emitter()); },
      [this](const std::string& command, std::istream& arguments) {
        if (command == "reset") {
          return engine.reset(events.emitter());
        }
        std::string key;
        std::string value;
        arguments >> key >> value;
        nlohmann::json changed = toJson(config);
        auto parsed = json::parse(value);
        changed[key] = parsed ? *parsed : nlohmann::json(value);
        config = *decodeRecognitionConfig(changed);
        engine.updateConfig(config);
      }};

 protected:
  void TearDown() override {
    EXPECT_TRUE(events.unchecked().empty())
        << "unexpected events: " << describe(events.unchecked());
  }
};

// One behaviour: what the fingers (and the tuning) do, as a touch script, and every event that
// must come of it, in order. Surface 100 x 100 mm, so 0.01 of a position is 1 mm; the pointer
// starts at (500, 400).
struct ScriptCase {
  const char* name;
  std::string script;
  std::vector<GestureEvent> expected;
};

class ScriptedBehaviour : public EngineScriptTest,
                          public ::testing::WithParamInterface<ScriptCase> {};

std::string caseName(const ::testing::TestParamInfo<ScriptCase>& info) {
  return info.param.name;
}

// `count` fingers from `first` landing side by side (0.05 apart from 0.05, at `y`), or lifting.
std::string fingers(int first, int count, const char* y = nullptr) {
  std::string text;
  for (int i = 0; i < count; ++i) {
    text += (y ? " down " : " up ") + std::to_string(first + i) +
            (y ? " " + std::to_string(0.05 * (i + 1)) + " " + y : "") + ",";
  }
  return text;
}

TEST_P(ScriptedBehaviour, ProducesExactlyTheExpectedEvents) {
  script.play(GetParam().script);
  EXPECT_EVENTS(GetParam().expected);
}

// `frames` frames of a drag whose scroll finger moves (dxMM, dyMM) in each.
std::vector<GestureEvent> dragFrames(int frames, float dxMM, float dyMM) {
  std::vector<GestureEvent> events;
  for (int i = 0; i < frames; ++i) {
    events.push_back(dragMoved());
    events.push_back(dragScrollMoved(dxMM, dyMM));
  }
  return events;
}

const ScriptCase cases[] = {
    // Taps: what qualifies, how the fingers of one session add up, debounce, streaks, the
    // right-front zone and the physical button.
    // Too short (0.02 s) spoils the whole session; too long (0.40 s) is no tap.
    {"DurationLimitsAndTheSpoiledSession",
     "0 down 1 0.3 0.3, down 2 0.4 0.3; 0.02 up 1; 0.1 up 2; 1 down 3 0.3 0.3; 1.4 up 3",
     {}},
    // The size test takes the peak over the whole contact, not the size at lift.
    {"PeakSizeMustReachTheFloor",
     "tune minTouchSize 0.5; 0 down 1 0.3 0.3, resize 1 0.3; 0.1 up 1; "
     "1 down 2 0.3 0.3, resize 2 0.3; 1.05 resize 2 0.6; 1.08 resize 2 0.2; 1.1 up 2",
     {tap(1)}},
    // Rolls towards the front just before lifting (never a one-finger swipe, ignored by the slide
    // test): 8 mm allowed under 0.15 s, 3 mm after.
    {"TravelLimitOfQuickAndSlowTaps",
     "0 down 0 0.3 0.3; 0.09 move 0 0 0.075; 0.1 up 0; 1 down 1 0.3 0.3; "
     "1.09 move 1 0 0.09; 1.1 up 1; 2 down 2 0.3 0.3; 2.19 move 2 0 0.025; 2.2 up 2; "
     "3 down 3 0.3 0.3; 3.19 move 3 0 0.04; 3.2 up 3",
     {tap(1), tap(1)}},
    // 5 mm in the middle of a 0.12 s contact is a flick (about 70 mm/s), unless the test is off;
    // 7 mm while landing (the first 20 ms) is no slide.
    {"SlideInTheMiddleOfTheContactButNotWhileLanding",
     "0 down 0 0.3 0.3; 0.03 hold; ~0.06 move 0 0.05 0; 0.12 up 0; "
     "tune tapMaxSlideSpeedMMPerS 0; 1 down 1 0.3 0.3; 1.03 hold; ~1.06 move 1 0.05 0; "
     "1.12 up 1; tune tapMaxSlideSpeedMMPerS 50; 3 down 3 0.3 0.3; 3.01 move 3 0 0.035; "
     "3.02 move 3 0 0.035; 3.1 up 3",
     {tap(1), tap(1)}},
    {"RestingFingerIsDroppedAndTheTapFires",
     "0 down 1 0.2 0.3; 0.1 down 2 0.4 0.3; 0.2 up 2; 1 up 1",
     {tap(1)}},
    // The second session closes 0.04 s after the first and is dropped; the third still continues
    // the streak; a two-finger tap starts a new one.
    {"DebounceAndFingerCountOfTheStreak",
     "0 down 1 0.3 0.3; 0.1 up 1, down 2 0.3 0.3; 0.14 up 2; 0.2 down 3 0.3 0.3; 0.3 up 3; "
     "0.4 down 4 0.3 0.3, down 5 0.4 0.3; 0.5 up 4, up 5; "
     "0.6 down 4 0.3 0.3, down 5 0.4 0.3; 0.7 up 4, up 5",
     {tap(1), doubleTap(1), tap(2), doubleTap(2)}},
    // Each tap comes within 0.3 s of the previous one, though not of the first, and the streak
    // stays at three; the fifth comes too late.
    {"StreakWindowRunsFromThePreviousTap",
     "0 down 0 0.3 0.3; 0.1 up 0; 0.3 down 1 0.3 0.3; 0.38 up 1; 0.58 down 2 0.3 0.3; "
     "0.66 up 2; 0.88 down 3 0.3 0.3; 0.94 up 3; 1.2 down 4 0.3 0.3; 1.27 up 4",
     {tap(1), doubleTap(1), tripleTap(1), tripleTap(1), tap(1)}},
    // Taps 0.14 s apart. Zone taps (both edges belong to it) never form a streak and end one; just
    // outside the zone taps continue theirs; two fingers there tap ordinarily; the switch turns
    // the zone off.
    {"RightFrontZone",

     "0 down 0 0.62 0.4; 0.08 up 0; 0.14 down 1 0.7 0.5; 0.22 up 1; 0.28 down 2 0.3 0.5; "
     "0.36 up 2; 0.42 down 3 0.7 0.5; 0.5 up 3; 0.56 down 4 0.3 0.5; 0.64 up 4; "
     "0.7 down 5 0.7 0.3; 0.78 up 5; 0.84 down 6 0.55 0.9; 0.92 up 6; "
     "0.98 down 10 0.8 0.5, down 7 0.7 0.5; 1.06 up 7, up 10; tune rightZoneTapEnabled false; "
     "1.12 down 8 0.7 0.5; 1.2 up 8",
     {rightZoneTap(), rightZoneTap(), tap(1), rightZoneTap(), tap(1), doubleTap(1), tripleTap(1),
      tap(2), tap(1)}},
    // Swipes: one or more fingers sliding together while the mouse stays still.
    // Horizontal swipes need 12 mm, vertical ones 8 mm, at 60 mm/s on average since touch-down;
    // the candidate comes at 35% of the travel and a session fires once however far it goes on.
    // 1 mm short only the candidate comes; a button click in the session stops both.
    {"CandidateThenSwipeOncePerSessionUnlessShortOrClicked",
     "0 down 0 0.35 0.45, down 1 0.41 0.45; ~0.1 move 0+1 -0.26 0; 0.11 up 0, up 1; "
     "1 down 2 0.35 0.45, down 3 0.41 0.45; ~1.1 move 2+3 0 -0.07; 1.11 up 2, up 3; "
     "2 down 4 0.35 0.45, down 5 0.41 0.45; ~2.1 move 4+5 0.11 0; 2.11 up 4, up 5; "
     "3 down 6 0.35 0.45, down 7 0.41 0.45, button 1; ~3.1 move 6+7 0.26 0, button 0; "
     "3.11 up 6, up 7",
     {swipeCandidateBegan(), swipe(2, Direction::left), swipeCandidateBegan(),
      swipeCandidateBegan()}},
    // 20 mm to the left fires; 17 mm gets only as far as the candidate; switched off, nothing.
    {"OneFingerSwipesHorizontallyOver18mm",
     "0 down 1 0.5 0.5; ~0.2 move 1 -0.2 0; 0.21 up 1; 1 down 2 0.3 0.5; "
     "~1.17 move 2 0.17 0; 1.18 up 2; tune oneFingerSwipeEnabled false; 2 down 3 0.5 0.5; "
     "~2.2 move 3 -0.2 0; 2.21 up 3",
     {swipeCandidateBegan(), swipe(1, Direction::left), swipeCandidateBegan()}},
    // One finger towards the back is scrolling; sideways it must beat forwards 2.5 times.
    {"OneFingerIsNeverVerticalAndClearlyHorizontal",
     "0 down 1 0.5 0.5; ~0.2 move 1 0 -0.2; 0.21 up 1; 1 down 2 0.3 0.3; "
     "~1.2 move 2 0.2 0.09; 1.21 up 2",
     {}},
    {"SeveralFingersNeedOneAxisToDominateByHalf",
     "0 down 1 0.3 0.3, down 2 0.4 0.3; ~0.1 move 1+2 0.1 0.08; 0.11 up 1, up 2",
     {}},
    // One finger above the other: the slower must cover half the way of the faster (9 of 20 mm
    // does not, 11 of 20 does).
    {"FingersMustAgreeOnTheirTravel",
     "0 down 1 0.3 0.4, down 2 0.3 0.5; ~0.15 move 1 0.2 0, move 2 0.09 0; "
     "0.16 up 1, up 2; 1 down 1 0.3 0.4, down 2 0.3 0.5; "
     "~1.15 move 1 0.2 0, move 2 0.11 0; 1.16 up 1, up 2",
     {swipeCandidateBegan(), swipe(2, Direction::right)}},
    {"ReportsTheLargestFingerCountOfTheSession",
     "0 down 1 0.3 0.4, down 2 0.4 0.4, down 3 0.5 0.4; 0.02 up 3; ~0.14 move 1+2 0.13 0; "
     "0.15 up 1, up 2",
     {swipeCandidateBegan(), swipe(3, Direction::right)}},
    // Speed counts from the earliest touch-down of the fingers still down: a finger that rested
    // and lifted no longer slows the swipe; one that rested and slides along does.
    {"SpeedCountsFromTheEarliestTouchDownStillDown",
     "0 down 1 0.2 0.7; 1 up 1, down 2 0.3 0.4, down 3 0.4 0.4; ~1.15 move 2+3 0.13 0; "
     "1.16 up 2, up 3; 2 down 4 0.2 0.6; 3 down 5 0.3 0.4, down 6 0.4 0.4; "
     "~3.15 move 4+5+6 0.13 0; 3.16 up 4, up 5, up 6",
     {swipeCandidateBegan(), swipe(2, Direction::right)}},
    // On a 50 x 90 mm surface 0.1 of the depth is 9 mm, 0.2 of the width only 10 mm.
    {"SurfaceSizeScalesEachAxis",
     "0 surface 50 90, down 1 0.3 0.4, down 2 0.5 0.4; ~0.1 move 1+2 0 0.1; "
     "0.11 up 1, up 2; 1 down 3 0.3 0.4, down 4 0.3 0.5; ~1.1 move 3+4 0.2 0; "
     "1.11 up 3, up 4",
     {swipeCandidateBegan(), swipe(2, Direction::up), swipeCandidateBegan()}},
    // Pinches: two fingers moving apart (spread, `up`) or together (pinch, `down`).
    {"PinchDiagonally",
     "0 down 1 0.4293 0.4293, down 2 0.5707 0.5707; "
     "~0.1 move 1 0.0212 0.0212, move 2 -0.0212 -0.0212; "
     "~0.2 move 1 0.0212 0.0212, move 2 -0.0212 -0.0212; 0.5 up 1, up 2",
     {pinch(Direction::down)}},
    {"OneFingerMovingAwayFromARestingOne",
     "0 down 1 0.4 0.5, down 2 0.6 0.5; ~0.1 move 2 0.1 0; 0.5 up 1, up 2",
     {}},
    {"SessionWithAThirdFingerNeverFires",
     "0 down 1 0.4 0.5, down 2 0.6 0.5, down 3 0.5 0.7; 0.02 up 3; "
     "~0.12 move 1 -0.05 0, move 2 0.05 0; 0.5 up 1, up 2; "
     "1 down 4 0.4 0.5, down 5 0.6 0.5; ~1.1 move 4 -0.05 0, move 5 0.05 0; 1.5 up 4, up 5",
     {pinch(Direction::up)}},
    // The mean is a 15 mm swipe, the distance grew 6 mm: both in one frame, the swipe first.
    {"SwipeAndSpreadFromOneMovement",
     "0 down 1 0.3 0.5, down 2 0.4 0.5; 0.05 move 1 0.12 0, move 2 0.18 0; 0.5 up 1, up 2",
     {swipeCandidateBegan(), swipe(2, Direction::right), pinch(Direction::up)}},
    // Drags: click-and-drag with a resting finger, driven by the pointer (the whole mouse
    // moves), and scrolling with a second finger during the drag.
    // Touching again 0.4 s after the tap is too late; with activation disabled nothing drags.
    {"NoCandidateTooLateOrWhenDisabled",
     "0 down 1 0.3 0.3; 0.1 up 1; 0.5 down 2 0.3 0.3; ~0.7 pointer 40 0; 0.9 up 2; "
     "tune dragActivation disabled; 1 down 1 0.3 0.3; 1.1 up 1; 1.2 down 2 0.3 0.3; "
     "~1.7 pointer 40 0; 1.9 up 2",
     {tap(1), tap(1)}},
    // 8 points of travel are not enough: the drag starts on the frame with 9. The button ends it
    // on its own frame.
    {"PointerTravelMustExceedTheThresholdAndTheButtonEndsTheDrag",
     "tune dragActivation fingerRest; 0 down 1 0.3 0.5; 0.05 pointer 8 0; "
     "0.06 pointer 1 0; 0.07 button 1; 0.08 button 0; 0.1 up 1",
     {dragBegan(500, 400), dragEnded()}},
    // Velocity is 0.7 * previous + 0.3 * (delta / dt): (0, 120) after 4 mm in 0.01 s, then
    // (-300, 384) after (-1, 1) mm in 0.0005 s, which counts as 0.001 s. The drag goes on.
    {"SecondFingerScrollsWithSmoothedVelocity",
     "tune dragActivation fingerRest; 0 down 1 0.3 0.5; 0.05 pointer 10 0; "
     "0.06 down 2 0.6 0.5; 0.07 move 2 0 0.04; 0.0705 move 2 -0.01 0.01; 0.08 up 2; "
     "0.09 up 1",
     {dragBegan(500, 400), dragMoved(), dragMoved(), dragScrollMoved(0, 4), dragMoved(),
      dragScrollMoved(-1, 1), dragMoved(), dragScrollEnded(-300, 384), dragEnded()}},
    // A finger that cannot scroll ends the drag: with drag-scroll off, or when a scroll finger is
    // down already (which is then silent).
    {"UnplaceableFingerEndsTheDrag",

     "tune dragActivation fingerRest; 0 down 1 0.3 0.5; 0.05 pointer 10 0; 0.06 down 2 0.6 "
     "0.5; "
     "0.07 down 3 0.7 0.3; 0.08 move 2 0 0.04; 0.09 up 2; 0.6 up 1, up 3; "
     "tune dragScrollEnabled false; 1 down 4 0.3 0.5; 1.05 pointer 10 0; 1.06 down 5 0.6 0.5; "
     "~1.5 move 5 0 0.04; 1.6 up 4, up 5",
     {dragBegan(500, 400), dragMoved(), dragMoved(), dragEnded(), dragBegan(510, 400), dragMoved(),
      dragEnded()}},
    // Finger 2 rests before the drag: as scroll finger it stays silent within 1.5 mm of where it
    // lay, then its first scroll covers the whole 2 mm.
    {"FingerRestingAtDragStartScrollsOnlyPastTheDeadZone",
     "0 down 2 0.2 0.7; 0.4 hold; 0.5 down 1 0.5 0.3; 0.6 up 1; 0.7 down 3 0.5 0.3; "
     "0.75 pointer 10 0; 0.8 move 2 0 0.01; 0.85 move 2 0 0.01; 0.86 up 3; 0.87 up 2",
     std::vector{tap(1), dragBegan(500, 400)} + std::vector(9, dragMoved()) +
         std::vector{dragScrollMoved(0, 2), dragMoved(), dragEnded()}},
    // A finger landing before the drag starts waits; it scrolls from where it is at drag start,
    // with no dead zone.
    {"PendingFingerScrollsOnceTheDragStarts",
     "tune dragActivation fingerRest; 0 down 1 0.3 0.5; 0.02 down 2 0.6 0.5; "
     "0.04 move 2 0 0.03; 0.06 pointer 10 0; 0.07 move 2 0 0.01; 0.08 up 2; 0.09 up 1",
     {dragBegan(500, 400), dragMoved(), dragScrollMoved(0, 1), dragMoved(), dragScrollEnded(0, 30),
      dragEnded()}},
    // The engine as a whole.
    // Finger 1 taps while 2 and 3 slide; they only agree as a swipe once finger 1 has lifted,
    // in the frame that also closes the tap session.
    {"TapEventsComeBeforeSwipeEventsOfTheSameFrame",
     "0 down 1 0.2 0.7, down 2 0.3 0.3, down 3 0.4 0.3; ~0.1 move 2+3 0.13 0, up 1; "
     "0.2 up 2, up 3",
     {tap(1), swipeCandidateBegan(), swipe(3, Direction::right)}},
    // Both fingers slide 9 mm up during the drag: no swipe, and after a third finger has ended
    // the drag that session stays silent although its fingers go on (21 mm on average).
    {"NoSwipeDuringADragNorLaterInThatSession",
     "tune dragActivation fingerRest; 0 down 1 0.3 0.3; 0.02 pointer 10 0; "
     "0.03 down 2 0.4 0.3; ~0.1 move 1+2 0 0.09; 0.11 down 3 0.5 0.3; "
     "~0.2 move 1+2+3 0 0.15; 0.21 up 1, up 2, up 3",
     std::vector{dragBegan(500, 400), dragMoved()} + dragFrames(7, 0, 9.0f / 7) +
         std::vector{dragMoved(), dragEnded()}},
    {"SwipeFirstReachedAfterTheDragEndedFires",
     "tune dragScrollEnabled false; tune dragActivation fingerRest; 0 down 1 0.3 0.3; "
     "0.02 pointer 10 0; 0.03 down 2 0.4 0.3; ~0.1 move 1+2 0 0.09; 0.11 up 1, up 2",
     {dragBegan(500, 400), dragMoved(), dragEnded(), swipeCandidateBegan(),
      swipe(2, Direction::up)}},
    // The button ends the drag but means nothing to the pinch recognizer: only the mark left
    // during the drag keeps the spread that goes on from firing.
    {"PinchReachedDuringADragStaysSilentForItsSession",
     "tune dragActivation fingerRest; 0 down 1 0.4 0.3; 0.02 pointer 10 0; "
     "0.03 down 2 0.6 0.3; ~0.1 move 1 -0.04 0, move 2 0.04 0; 0.11 button 1; "
     "0.12 button 0; ~0.2 move 1 -0.02 0, move 2 0.02 0; 0.5 up 1, up 2",
     std::vector{dragBegan(500, 400), dragMoved()} + dragFrames(7, 4.0f / 7, 0) +
         std::vector{dragEnded()}},
    {"TuningChangedMidContactJudgesByTheNewValues",
     "0 down 1 0.3 0.3; 0.2 hold; tune tapMaxDuration 0.6; 0.5 up 1; 2 down 2 0.3 0.3; "
     "2.05 hold; tune tapMaxDuration 0.08; 2.1 up 2",
     {tap(1)}},
    // A reset during a drag ends it exactly once; after it no recognizer knows the two fingers:
    // their slide is no swipe, no drag-scroll.
    {"ResetDuringADragEndsItOnceAndForgetsItsContacts",
     "tune dragActivation fingerRest; 0 down 1 0.3 0.5, down 2 0.6 0.5; 0.05 pointer 10 0; reset; "
     "reset; ~0.1 move 1+2 0.13 0; 0.11 up 1, up 2; 1 down 3 0.3 0.3; 1.1 up 3",
     {dragBegan(500, 400), dragEnded(), tap(1)}},
    // The device reports at most 16 contacts; a 17th is not followed for its whole life.
    {"SeventeenthContactIsIgnored",
     "0" + fingers(1, 17, "0.3") + "; 0.1" + fingers(1, 17) + "; 1 down 30 0.3 0.3; 1.1 up 30",
     {tap(16), tap(1)}},
};

INSTANTIATE_TEST_SUITE_P(Engine, ScriptedBehaviour, ::testing::ValuesIn(cases), caseName);

using GestureEngineReset = EngineScriptTest;

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

// Frames captured from a touch script, to be replayed where the script itself must not run (it
// allocates): while allocations are counted, or from a second thread. Each frame's touches point
// into the vector beside it, whose buffer stays put when the pair moves.
using RecordedFrames = std::vector<std::pair<BorrowedFrame, std::vector<Touch>>>;

// A session that exercises every recognizer with the finger-rest drag mode: a three-finger tap,
// a resting finger, a two-finger swipe, a spread, a drag with a scroll finger ended by lifting, a
// drag ended by the button, seventeen fingers at once and an empty frame. About 1.6 s of frames.
RecordedFrames recordMixedSession() {
  RecordedFrames frames;
  TouchScript script{[](double) {},
                     [&frames](const BorrowedFrame& frame) {
                       frames.emplace_back(frame,
                                           std::vector(frame.touches.begin(), frame.touches.end()));
                       frames.back().first.touches = frames.back().second;
                     }};
  script.play(std::string() +
              "0 down 1 0.2 0.3, down 2 0.3 0.3, down 3 0.4 0.3; 0.08 up 1, up 2, up 3; "
              "0.2 down 4 0.3 0.3, down 5 0.4 0.3; ~0.35 move 4+5 0.15 0; 0.36 up 4, up 5; "
              "0.5 down 6 0.4 0.5, down 7 0.6 0.5; ~0.6 move 6 -0.05 0, move 7 0.05 0; "
              "0.61 up 6, up 7; 0.7 down 8 0.3 0.5; ~0.75 pointer 12 0; 0.76 down 9 0.6 0.5; "
              "~0.9 move 9 0 0.08, pointer 20 5; 0.91 up 9; 0.95 up 8; 1 down 10 0.3 0.5; "
              "~1.05 pointer -15 0; 1.06 button 1; 1.07 button 0; 1.1 up 10; 1.3" +
              fingers(20, 17, "0.4") + "; ~1.4 move 20+21+22 0.01 0; 1.5" + fingers(20, 17) +
              "; 1.6 hold");
  return frames;
}

// One thread feeds the session's frames while another changes the tuning, resets the engine and
// asks whether a drag runs, as the application's main thread does (run under ThreadSanitizer by
// CI). Frame processing runs for every device frame on the delivery thread: neither it nor the
// main thread's calls may allocate. The threads start together, and neither stops before the
// other has done a minimum of rounds, so their work overlaps whatever the scheduler does.
TEST(GestureEngineConcurrency, FramesTuningAndResetsFromTwoThreadsAllocateNothingAndNestDrags) {
  const RecordedFrames session = recordMixedSession();
  RecognitionConfig fingerRest = RecognitionConfig::defaults();
  fingerRest.dragActivation = DragActivation::fingerRest;
  RecognitionConfig noDragScroll = fingerRest;
  noDragScroll.dragScrollEnabled = false;
  noDragScroll.tapMaxDuration = 0.5;
  double nowSeconds = 0;  // read by the engine only on the feeding thread
  GestureEngine engine{fingerRest, [&nowSeconds] { return nowSeconds; }};

  // Both threads' callbacks run under the engine's lock, so these are guarded by that lock alone
  // (a lapse in the engine's locking shows up as a data race). Drags must nest: each begins while
  // none runs and ends exactly once, and drag-only events arrive only inside a drag.
  using Case = GestureEvent::Case;
  bool dragging = false;
  int drags = 0;
  int events = 0;
  int misplaced = 0;
  const GestureEmit emit = [&](const GestureEvent& event) {
    ++events;
    const Case kind = event.kind();
    if (kind == Case::dragBegan) {
      misplaced += dragging ? 1 : 0;
      dragging = true;
      ++drags;
    } else if (kind == Case::dragMoved || kind == Case::dragScrollMoved ||
               kind == Case::dragScrollEnded || kind == Case::dragEnded) {
      misplaced += dragging ? 0 : 1;
      dragging = kind != Case::dragEnded;
    }
  };
  std::atomic<std::size_t> allocations{0};
  const auto counted = [&allocations](const std::function<void()>& work) {
    countingAllocations = true;
    work();
    countingAllocations = false;
    allocations += std::exchange(allocationCount, 0);
  };
  int resets = 0;
  race({[&](int round) {
          counted([&] {
            for (const auto& [frame, touches] : session) {
              nowSeconds = 2.0 * round + frame.timestamp;
              engine.process(frame, emit);
              if (round == 0 && std::abs(frame.timestamp - 0.85) < 0.001) {
                engine.reset(emit);  // ends the first drag while it scrolls
              }
            }
          });
        },
        [&](int round) {
          counted([&] {
            engine.updateConfig(round % 2 == 0 ? noDragScroll : fingerRest);
            if (round % 7 == 0) {
              engine.reset(emit);
              ++resets;
            }
            static_cast<void>(engine.isDragging());
          });
          std::this_thread::yield();
        }},
       200);
  engine.reset(emit);
  EXPECT_EQ(allocations, 0u);
  EXPECT_EQ(misplaced, 0);
  EXPECT_FALSE(dragging || engine.isDragging());
  EXPECT_GT(events, 60);  // the session did exercise the recognizers
  EXPECT_GT(drags, 0);
  EXPECT_GT(resets, 0);
}

}  // namespace
}  // namespace tactora::testing
