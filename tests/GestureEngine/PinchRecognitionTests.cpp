// Two fingers moving apart (spread, `up`) or together (pinch, `down`).
#include <cmath>
#include <functional>

#include "EngineScriptTest.h"

namespace tactora::testing {
namespace {

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

}  // namespace
}  // namespace tactora::testing
