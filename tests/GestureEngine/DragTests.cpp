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

INSTANTIATE_TEST_SUITE_P(Drags, ScriptedBehaviour,
                         ::testing::Values(
                             ScriptCase{"TapThenTouchAndMoveTheMouse",
                                        [](auto& s, auto&) {
                                          s.down(1, 0.3, 0.3).at(0.00);
                                          s.up(1).at(0.10);
                                          s.down(2, 0.3, 0.3).at(0.20);
                                          s.pointerBy(10, 0).at(0.25);
                                          s.pointerBy(30, 5).until(0.30);
                                          s.up(2).at(0.31);
                                        },
                                        std::vector{tap(1), dragBegan(500, 400)} +
                                            repeated(dragMoved(), 5) + std::vector{dragEnded()}},
                             ScriptCase{"SecondTouchTooLateAfterTheTap",
                                        [](auto& s, auto&) {
                                          s.down(1, 0.3, 0.3).at(0.00);
                                          s.up(1).at(0.10);
                                          s.down(2, 0.3, 0.3).at(0.50);
                                          s.pointerBy(40, 0).until(0.70);
                                          s.up(2).at(1.00);
                                        },
                                        {tap(1)}},
                             ScriptCase{"CandidateLiftedWithoutDraggingIsTheSecondTap",
                                        [](auto& s, auto&) {
                                          s.down(1, 0.3, 0.3).at(0.00);
                                          s.up(1).at(0.10);
                                          s.down(2, 0.3, 0.3).at(0.20);
                                          s.pointerBy(8, 0).at(0.24);
                                          s.up(2).at(0.28);
                                        },
                                        {tap(1), doubleTap(1)}},
                             // 8 points of travel are not enough: the drag starts on the frame
                             // with 9.
                             ScriptCase{"PointerTravelMustExceedTheThreshold",
                                        [](auto& s, auto& t) {
                                          t.tune(fingerRest);
                                          s.down(1, 0.3, 0.5).at(0.00);
                                          s.pointerBy(8, 0).at(0.05);
                                          s.pointerBy(1, 0).at(0.06);
                                          s.up(1).at(0.07);
                                        },
                                        {dragBegan(500, 400), dragEnded()}},
                             ScriptCase{"DisabledActivationNeverDrags",
                                        [](auto& s, auto& t) {
                                          t.tune([](auto& c) {
                                            c.dragActivation = DragActivation::disabled;
                                          });
                                          s.down(1, 0.3, 0.3).at(0.00);
                                          s.up(1).at(0.10);
                                          s.down(2, 0.3, 0.3).at(0.20);
                                          s.pointerBy(40, 0).until(0.30);
                                          s.up(2).at(0.60);
                                        },
                                        {tap(1)}},
                             ScriptCase{"ButtonEndsTheDragOnItsFrame",
                                        [](auto& s, auto& t) {
                                          restAndDrag(s, t);
                                          s.button(true).at(0.06);
                                          s.button(false).at(0.07);
                                          s.up(1).at(0.10);
                                        },
                                        {dragBegan(500, 400), dragEnded()}},
                             // Velocity: 0.7 * previous + 0.3 * (delta / dt); (0, 120), then (-30,
                             // 144).
                             ScriptCase{"SecondFingerScrollsAndReportsSmoothedVelocity",
                                        [](auto& s, auto& t) {
                                          restAndDrag(s, t);
                                          s.down(2, 0.6, 0.5).at(0.06);
                                          s.moveBy(2, 0, 0.04f).at(0.07);
                                          s.moveBy(2, -0.01f, 0.02f).at(0.08);
                                          s.up(2).at(0.09);
                                          s.up(1).at(0.10);
                                        },
                                        {dragBegan(500, 400), dragMoved(), dragMoved(),
                                         dragScrollMoved(0, 4), dragMoved(), dragScrollMoved(-1, 2),
                                         dragMoved(), dragScrollEnded(-30, 144), dragEnded()}},
                             // 0.0005 s between two scroll frames counts as 0.001 s: 0.7 * 120 +
                             // 0.3 * 1000.
                             ScriptCase{"ScrollFramesCloserThanAMillisecond",
                                        [](auto& s, auto& t) {
                                          restAndDrag(s, t);
                                          s.down(2, 0.6, 0.5).at(0.06);
                                          s.moveBy(2, 0, 0.04f).at(0.07);
                                          s.moveBy(2, 0, 0.01f).at(0.0705);
                                          s.up(2).at(0.08);
                                        },
                                        {dragBegan(500, 400), dragMoved(), dragMoved(),
                                         dragScrollMoved(0, 4), dragMoved(), dragScrollMoved(0, 1),
                                         dragMoved(), dragScrollEnded(0, 384)}},
                             ScriptCase{"SecondFingerEndsTheDragWhenDragScrollIsOff",
                                        [](auto& s, auto& t) {
                                          restAndDrag(s, t);
                                          t.tune([](auto& c) { c.dragScrollEnabled = false; });
                                          s.down(2, 0.6, 0.5).at(0.06);
                                          s.moveBy(2, 0, 0.04f).until(0.50);
                                          s.up(1).up(2).at(0.60);
                                        },
                                        {dragBegan(500, 400), dragMoved(), dragEnded()}},
                             ScriptCase{
                                 "ThirdFingerEndsTheDragAndSilencesTheScrollFinger",
                                 [](auto& s, auto& t) {
                                   restAndDrag(s, t);
                                   s.down(2, 0.6, 0.5).at(0.06);
                                   s.down(3, 0.7, 0.3).at(0.07);
                                   s.moveBy(2, 0, 0.04f).at(0.08);
                                   s.up(2).at(0.09);
                                   s.up(1).up(3).at(0.60);
                                 },
                                 {dragBegan(500, 400), dragMoved(), dragMoved(), dragEnded()}},
                             // Finger 2 rests before the drag: as scroll finger it stays silent
                             // within 1.5 mm of where it lay, then its first scroll covers the
                             // whole 2 mm.
                             ScriptCase{"FingerRestingAtDragStartScrollsOnlyPastTheDeadZone",
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
                                        std::vector{tap(1), dragBegan(500, 400)} +
                                            repeated(dragMoved(), 9) +
                                            std::vector{dragScrollMoved(0, 2),
                                                        dragMoved(), dragEnded()}},
                             // A finger landing before the drag starts waits; it scrolls from where
                             // it is at drag start.
                             ScriptCase{"PendingFingerScrollsOnceTheDragStarts",
                                        [](auto& s, auto& t) {
                                          t.tune(fingerRest);
                                          s.down(1, 0.3, 0.5).at(0.00);
                                          s.down(2, 0.6, 0.5).at(0.02);
                                          s.moveBy(2, 0, 0.03f).at(0.04);
                                          s.pointerBy(10, 0).at(0.06);
                                          s.moveBy(2, 0, 0.02f).at(0.07);
                                          s.up(2).at(0.08);
                                          s.up(1).at(0.09);
                                        },
                                        {dragBegan(500, 400), dragMoved(), dragScrollMoved(0, 2),
                                         dragMoved(), dragScrollEnded(0, 60), dragEnded()}}),
                         caseName);

}  // namespace
}  // namespace tactora::testing
