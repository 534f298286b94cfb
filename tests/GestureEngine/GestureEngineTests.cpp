// The engine as a whole: the order of events within a frame, swipe and pinch held back during a
// drag, tuning changes and resets while contacts are down, and input it must not trust.
#include <vector>

#include "EngineScriptTest.h"

namespace tactora::testing {
namespace {

TEST_P(ScriptedBehaviour, ProducesExactlyTheExpectedEvents) {
  GetParam().play(script, *this);
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
