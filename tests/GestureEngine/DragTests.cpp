// Click-and-drag with a resting finger, driven by the pointer (the whole mouse moves), and
// scrolling with a second finger during the drag.
#include "EngineScriptTest.h"

namespace tactora::testing {
namespace {

// Finger 1 rests (finger-rest mode) and the mouse moves 10 points: the drag starts at 0.05.
void restAndDrag(TouchScript& s, EngineScriptTest& t) {
  t.tune(fingerRest);
  s.down(1, 0.3, 0.5).at(0.00);
  s.pointerBy(10, 0).at(0.05);
}

const ScriptCase dragCases[] = {
    {"TapThenTouchAndMoveTheMouse",
     [](auto& s, auto&) {
       s.down(1, 0.3, 0.3).at(0.00);
       s.up(1).at(0.10);
       s.down(2, 0.3, 0.3).at(0.20);
       s.pointerBy(10, 0).at(0.25);
       s.pointerBy(30, 5).until(0.30);
       s.up(2).at(0.31);
     },
     std::vector{tap(1), dragBegan(500, 400)} + repeated(dragMoved(), 5) +
         std::vector{dragEnded()}},
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
    {"CandidateLiftedWithoutDraggingIsTheSecondTap",
     [](auto& s, auto&) {
       s.down(1, 0.3, 0.3).at(0.00);
       s.up(1).at(0.10);
       s.down(2, 0.3, 0.3).at(0.20);
       s.up(2).at(0.28);
     },
     {tap(1), doubleTap(1)}},
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

}  // namespace
}  // namespace tactora::testing
