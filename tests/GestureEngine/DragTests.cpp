// Click-and-drag with a resting finger (driven by the pointer, not by the finger) and scrolling
// with a second finger during the drag. Pointer positions are display points; the script's
// pointer starts at (500, 400). Surface 100 x 100 mm: 0.01 of a position is 1 mm.
#include "EngineScriptTest.h"

namespace tactora::testing {
namespace {

class Drag : public EngineScriptTest {
 protected:
  void restFingerAndDrag() {
    tune([](RecognitionConfig& c) { c.dragActivation = DragActivation::fingerRest; });
    script.down(1, 0.30, 0.50).at(0.00);
    script.pointerBy(10, 0).at(0.05);
    EXPECT_EVENTS(dragBegan(500, 400));
  }
};

TEST_F(Drag, TapThenTouchAndMoveTheMouseDrags) {
  script.down(1, 0.30, 0.30).at(0.00);
  script.up(1).at(0.10);
  EXPECT_EVENTS(tap(1));

  script.down(2, 0.30, 0.30).at(0.20);
  script.pointerBy(10, 0).at(0.25);
  EXPECT_EVENTS(dragBegan(500, 400));
  script.pointerBy(30, 5).until(0.30);
  EXPECT_EVENT_LIST(repeated(dragMoved(), 5));
  script.up(2).at(0.31);
  EXPECT_EVENTS(dragEnded());
}

TEST_F(Drag, SecondTouchTooLateAfterTheTapDoesNotDrag) {
  script.down(1, 0.30, 0.30).at(0.00);
  script.up(1).at(0.10);
  script.down(2, 0.30, 0.30).at(0.50);
  script.pointerBy(40, 0).until(0.70);
  script.up(2).at(1.00);
  EXPECT_EVENTS(tap(1));
}

TEST_F(Drag, CandidateLiftedWithoutMovingTheMouseIsTheSecondTap) {
  script.down(1, 0.30, 0.30).at(0.00);
  script.up(1).at(0.10);
  script.down(2, 0.30, 0.30).at(0.20);
  script.pointerBy(8, 0).at(0.24);  // not more than 8 points: no drag
  script.up(2).at(0.28);
  EXPECT_EVENTS(tap(1), doubleTap(1));
}

TEST_F(Drag, RestingFingerDragsOncePointerTravelExceedsTheThreshold) {
  tune([](RecognitionConfig& c) { c.dragActivation = DragActivation::fingerRest; });
  script.down(1, 0.30, 0.50).at(0.00);
  script.pointerBy(8, 0).at(0.05);
  EXPECT_NO_EVENTS();
  script.pointerBy(1, 0).at(0.06);
  EXPECT_EVENTS(dragBegan(500, 400));
  script.up(1).at(0.07);
  EXPECT_EVENTS(dragEnded());
}

TEST_F(Drag, DisabledActivationNeverDrags) {
  tune([](RecognitionConfig& c) { c.dragActivation = DragActivation::disabled; });
  script.down(1, 0.30, 0.30).at(0.00);
  script.up(1).at(0.10);
  script.down(2, 0.30, 0.30).at(0.20);
  script.pointerBy(40, 0).until(0.30);
  script.up(2).at(0.60);
  EXPECT_EVENTS(tap(1));
}

TEST_F(Drag, ButtonPressEndsTheDragOnItsFrame) {
  restFingerAndDrag();
  script.button(true).at(0.06);
  EXPECT_EVENTS(dragEnded());
  script.button(false).at(0.07);
  script.up(1).at(0.10);
  EXPECT_NO_EVENTS();
}

TEST_F(Drag, SecondFingerScrollsAndLiftReportsSmoothedVelocity) {
  restFingerAndDrag();
  script.hold().at(0.10);
  EXPECT_EVENT_LIST(repeated(dragMoved(), 5));
  script.down(2, 0.60, 0.50).at(0.11);
  EXPECT_EVENTS(dragMoved());
  script.moveBy(2, 0, 0.04f).at(0.12);  // 4 mm towards the front in 0.01 s
  EXPECT_EVENTS(dragMoved(), dragScrollMoved(0, 4));
  script.moveBy(2, -0.01f, 0.02f).at(0.13);
  // 0.7 * (0, 120) + 0.3 * (-100, 200)
  EXPECT_EVENTS(dragMoved(), dragScrollMoved(-1, 2));
  script.up(2).at(0.14);
  EXPECT_EVENTS(dragMoved(), dragScrollEnded(-30, 144));
  script.hold().at(0.15);
  EXPECT_EVENTS(dragMoved());  // the drag goes on
  script.up(1).at(0.16);
  EXPECT_EVENTS(dragEnded());
}

TEST_F(Drag, ScrollFramesCloserThanAMillisecondKeepVelocityFinite) {
  restFingerAndDrag();
  script.down(2, 0.60, 0.50).at(0.06);
  script.moveBy(2, 0, 0.04f).at(0.07);
  script.moveBy(2, 0, 0.01f).at(0.0705);  // 0.0005 s later: counted as 0.001 s
  script.up(2).at(0.08);
  // 0.7 * 120 + 0.3 * (1 mm / 0.001 s)
  EXPECT_EVENTS(dragMoved(), dragMoved(), dragScrollMoved(0, 4), dragMoved(), dragScrollMoved(0, 1),
                dragMoved(), dragScrollEnded(0, 384));
}

TEST_F(Drag, SecondFingerEndsTheDragWhenDragScrollIsOff) {
  restFingerAndDrag();
  tune([](RecognitionConfig& c) { c.dragScrollEnabled = false; });
  script.down(2, 0.60, 0.50).at(0.06);
  EXPECT_EVENTS(dragMoved(), dragEnded());
  script.moveBy(2, 0, 0.04f).until(0.50);
  script.up(1).up(2).at(0.60);
  EXPECT_NO_EVENTS();
}

TEST_F(Drag, ThirdFingerEndsTheDragAndSilencesTheScrollFinger) {
  restFingerAndDrag();
  script.down(2, 0.60, 0.50).at(0.06);
  EXPECT_EVENTS(dragMoved());
  script.down(3, 0.70, 0.30).at(0.07);
  EXPECT_EVENTS(dragMoved(), dragEnded());
  script.moveBy(2, 0, 0.04f).at(0.08);
  script.up(2).at(0.09);
  script.up(1).up(3).at(0.60);
  EXPECT_NO_EVENTS();
}

// Finger 2 already rests when the drag starts: it becomes the scroll finger but only scrolls once
// it is more than 1.5 mm from where it lay, and then by the whole way from there.
TEST_F(Drag, FingerRestingAtDragStartScrollsOnlyPastTheDeadZone) {
  script.down(2, 0.20, 0.70).at(0.00);
  script.hold().at(0.40);  // long enough to leave the tap session
  script.down(1, 0.50, 0.30).at(0.50);
  script.up(1).at(0.60);
  EXPECT_EVENTS(tap(1));

  script.down(3, 0.50, 0.30).at(0.70);
  script.pointerBy(10, 0).at(0.75);
  EXPECT_EVENTS(dragBegan(500, 400));
  script.moveBy(2, 0, 0.01f).at(0.80);
  EXPECT_EVENT_LIST(repeated(dragMoved(), 5));
  script.moveBy(2, 0, 0.01f).at(0.85);
  EXPECT_EVENT_LIST(repeated(dragMoved(), 4) + std::vector{dragScrollMoved(0, 2), dragMoved()});
  script.up(3).at(0.86);
  EXPECT_EVENTS(dragEnded());
  script.up(2).at(0.87);  // no longer the scroll finger: no dragScrollEnded
  EXPECT_NO_EVENTS();
}

// A second finger that lands before the drag starts waits as pending scroll finger; once the drag
// starts it scrolls from where it is then, not from where it landed.
TEST_F(Drag, PendingFingerBecomesTheScrollFingerWhenTheDragStarts) {
  tune([](RecognitionConfig& c) { c.dragActivation = DragActivation::fingerRest; });
  script.down(1, 0.30, 0.50).at(0.00);
  script.down(2, 0.60, 0.50).at(0.02);
  script.moveBy(2, 0, 0.03f).at(0.04);
  EXPECT_NO_EVENTS();
  script.pointerBy(10, 0).at(0.06);
  EXPECT_EVENTS(dragBegan(500, 400));
  script.moveBy(2, 0, 0.02f).at(0.07);
  EXPECT_EVENTS(dragMoved(), dragScrollMoved(0, 2));
  script.up(2).at(0.08);
  EXPECT_EVENTS(dragMoved(), dragScrollEnded(0, 60));
  script.up(1).at(0.09);
  EXPECT_EVENTS(dragEnded());
}

TEST_F(Drag, PendingFingerLiftingBeforeTheDragLeavesTheCandidateArmed) {
  tune([](RecognitionConfig& c) { c.dragActivation = DragActivation::fingerRest; });
  script.down(1, 0.30, 0.50).at(0.00);
  script.down(2, 0.60, 0.50).at(0.02);
  script.up(2).at(0.04);  // too short to be a tap: spoils the session
  script.pointerBy(10, 0).at(0.06);
  EXPECT_EVENTS(dragBegan(500, 400));
  script.down(3, 0.60, 0.50).at(0.07);
  script.moveBy(3, 0.02f, 0).at(0.08);
  EXPECT_EVENTS(dragMoved(), dragMoved(), dragScrollMoved(2, 0));
  script.up(1).up(3).at(0.09);
  EXPECT_EVENTS(dragEnded());
}

}  // namespace
}  // namespace tactora::testing
