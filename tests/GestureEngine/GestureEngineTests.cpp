// The engine as a whole: order of events within a frame, swipe and pinch held back during a drag,
// tuning changes and resets while contacts are down, and input it must not trust.
#include <vector>

#include "EngineScriptTest.h"

namespace tactora::testing {
namespace {

using GestureEngineBehaviour = EngineScriptTest;

// Finger 1 taps while fingers 2 and 3 slide; the swipe only agrees once finger 1 has lifted, in
// the same frame that closes the tap session.
TEST_F(GestureEngineBehaviour, TapEventsComeBeforeSwipeEventsOfTheSameFrame) {
  script.down(1, 0.20, 0.70).down(2, 0.30, 0.30).down(3, 0.40, 0.30).at(0.00);
  script.moveBy({2, 3}, 0.13f, 0).up(1).until(0.10);
  EXPECT_EVENTS(tap(1), swipeCandidateBegan(), swipe(3, Direction::right));
  script.up(2).up(3).at(0.20);
}

// Drag finger and scroll finger slide together far enough for a swipe: nothing from the swipe
// recognizer, and after the third finger has ended the drag that swipe session stays silent.
TEST_F(GestureEngineBehaviour, NoSwipeDuringADragNorLaterInThatSession) {
  tune([](RecognitionConfig& c) { c.dragActivation = DragActivation::fingerRest; });
  script.down(1, 0.30, 0.30).at(0.00);
  script.pointerBy(10, 0).at(0.02);
  script.down(2, 0.40, 0.30).at(0.03);
  EXPECT_EVENTS(dragBegan(500, 400), dragMoved());
  script.moveBy({1, 2}, 0, 0.09f).until(0.10);
  std::vector<GestureEvent> duringDrag;
  for (int frame = 0; frame < 7; ++frame) {
    duringDrag.push_back(dragMoved());
    duringDrag.push_back(dragScrollMoved(0, 9.0f / 7));
  }
  EXPECT_EVENT_LIST(duringDrag);
  script.down(3, 0.50, 0.30).at(0.11);
  EXPECT_EVENTS(dragMoved(), dragEnded());
  script.moveBy({1, 2, 3}, 0, 0.15f).until(0.20);  // 21 mm on average: a swipe, were it new
  script.up(1).up(2).up(3).at(0.21);
  EXPECT_NO_EVENTS();
}

TEST_F(GestureEngineBehaviour, SwipeFirstReachedAfterTheDragEndedFires) {
  tune([](RecognitionConfig& c) {
    c.dragActivation = DragActivation::fingerRest;
    c.dragScrollEnabled = false;
  });
  script.down(1, 0.30, 0.30).at(0.00);
  script.pointerBy(10, 0).at(0.02);
  script.down(2, 0.40, 0.30).at(0.03);
  EXPECT_EVENTS(dragBegan(500, 400), dragMoved(), dragEnded());
  script.moveBy({1, 2}, 0, 0.09f).until(0.10);
  EXPECT_EVENTS(swipeCandidateBegan(), swipe(2, Direction::up));
  script.up(1).up(2).at(0.11);
}

// The button ends the drag but does not concern the pinch recognizer: only the mark left during
// the drag keeps the spread that goes on from firing.
TEST_F(GestureEngineBehaviour, PinchReachedDuringADragStaysSilentForItsSession) {
  tune([](RecognitionConfig& c) { c.dragActivation = DragActivation::fingerRest; });
  script.down(1, 0.40, 0.50).at(0.00);
  script.pointerBy(10, 0).at(0.02);
  script.down(2, 0.60, 0.50).at(0.03);
  EXPECT_EVENTS(dragBegan(500, 400), dragMoved());
  script.moveBy(1, -0.04f, 0).moveBy(2, 0.04f, 0).until(0.10);
  std::vector<GestureEvent> duringDrag;
  for (int frame = 0; frame < 7; ++frame) {
    duringDrag.push_back(dragMoved());
    duringDrag.push_back(dragScrollMoved(4.0f / 7, 0));
  }
  EXPECT_EVENT_LIST(duringDrag);
  script.button(true).at(0.11);
  EXPECT_EVENTS(dragEnded());
  script.button(false).at(0.12);
  script.moveBy(1, -0.02f, 0).moveBy(2, 0.02f, 0).until(0.20);
  script.up(1).up(2).at(0.50);
  EXPECT_NO_EVENTS();
}

TEST_F(GestureEngineBehaviour, TuningChangedMidContactJudgesTheLiftByTheNewValues) {
  script.down(1, 0.30, 0.30).at(0.00);
  script.hold().at(0.20);
  tune([](RecognitionConfig& c) { c.tapMaxDuration = 0.6; });
  script.up(1).at(0.50);
  EXPECT_EVENTS(tap(1));

  script.down(2, 0.30, 0.30).at(2.00);
  script.hold().at(2.05);
  tune([](RecognitionConfig& c) { c.tapMaxDuration = 0.08; });
  script.up(2).at(2.10);
  EXPECT_NO_EVENTS();
}

TEST_F(GestureEngineBehaviour, ResetDuringADragEndsItExactlyOnce) {
  tune([](RecognitionConfig& c) { c.dragActivation = DragActivation::fingerRest; });
  script.down(1, 0.30, 0.50).down(2, 0.60, 0.50).at(0.00);
  script.pointerBy(10, 0).at(0.05);
  EXPECT_EVENTS(dragBegan(500, 400));
  EXPECT_TRUE(engine.isDragging());

  engine.reset(events.emitter());
  EXPECT_EVENTS(dragEnded());
  engine.reset(events.emitter());
  EXPECT_NO_EVENTS();
  EXPECT_FALSE(engine.isDragging());

  // Contacts from before the reset are unknown now: their moves and lifts are ignored.
  script.moveBy(2, 0, 0.05f).until(0.10);
  script.up(1).up(2).at(0.11);
  EXPECT_NO_EVENTS();

  script.down(3, 0.30, 0.30).at(1.00);
  script.up(3).at(1.10);
  EXPECT_EVENTS(tap(1));
}

TEST_F(GestureEngineBehaviour, ResetForgetsASwipeUnderWay) {
  script.down(1, 0.30, 0.30).down(2, 0.40, 0.30).at(0.00);
  script.moveBy({1, 2}, 0.06f, 0).until(0.05);
  EXPECT_EVENTS(swipeCandidateBegan());
  engine.reset(events.emitter());
  script.moveBy({1, 2}, 0.10f, 0).until(0.10);
  script.up(1).up(2).at(0.11);
  EXPECT_NO_EVENTS();

  script.down(3, 0.30, 0.30).down(4, 0.40, 0.30).at(1.00);
  script.moveBy({3, 4}, 0.13f, 0).until(1.10);
  EXPECT_EVENTS(swipeCandidateBegan(), swipe(2, Direction::right));
  script.up(3).up(4).at(1.11);
}

// Frames built by hand: phases that do not fit what the recognizers know.
class UntrustedInput : public EngineScriptTest {
 protected:
  void feed(double seconds, std::vector<Touch> touches) {
    nowSeconds = seconds;
    engine.process(BorrowedFrame{seconds, {100, 100}, touches, false, {500, 400}},
                   events.emitter());
  }
  static Touch touch(std::int32_t id, TouchPhase phase, float x, float y) {
    return Touch{id, phase, {x, y}, {}, 1.0f, 0.0f};
  }
};

TEST_F(UntrustedInput, MovesAndLiftsOfUnknownContactsAreIgnored) {
  feed(0.00, {touch(7, TouchPhase::moved, 0.3f, 0.3f)});
  feed(0.05, {touch(7, TouchPhase::moved, 0.6f, 0.3f)});
  feed(0.10, {touch(7, TouchPhase::ended, 0.6f, 0.3f)});
  feed(0.20, {});
  EXPECT_NO_EVENTS();
}

// A second `began` for a contact that is down does not restart it: the contact is still judged
// from its first touch-down, here 0.5 s before it lifts.
TEST_F(UntrustedInput, RepeatedTouchDownDoesNotRestartATapContact) {
  feed(0.00, {touch(1, TouchPhase::began, 0.3f, 0.3f)});
  feed(0.40, {touch(1, TouchPhase::began, 0.3f, 0.3f)});
  feed(0.50, {touch(1, TouchPhase::ended, 0.3f, 0.3f)});
  EXPECT_NO_EVENTS();
}

// The device reports at most 16 contacts; a 17th that lands while 16 are down is not followed
// for its whole life, and the tables are usable again afterwards.
TEST_F(GestureEngineBehaviour, SeventeenthContactIsIgnored) {
  for (int id = 1; id <= 17; ++id) {
    script.down(id, 0.05f * id, 0.30f);
  }
  script.at(0.00);
  for (int id = 1; id <= 17; ++id) {
    script.up(id);
  }
  script.at(0.10);
  EXPECT_EVENTS(tap(16));

  script.down(30, 0.30, 0.30).at(1.00);
  script.up(30).at(1.10);
  EXPECT_EVENTS(tap(1));
}

}  // namespace
}  // namespace tactora::testing
