// Pinch and spread of two fingers. Surface 100 x 100 mm: 0.01 of a position is 1 mm.
#include <cmath>

#include "EngineScriptTest.h"

namespace tactora::testing {
namespace {

using PinchRecognition = EngineScriptTest;

struct PinchCase {
  const char* name;
  float axisX;  // unit vector of the line through both fingers
  float axisY;
  float outwardMM;  // each finger's move along that line, positive apart
  Direction expected;
};

class TwoFingerPinch : public EngineScriptTest, public ::testing::WithParamInterface<PinchCase> {};

// The fingers start 20 mm apart and each moves along the line joining them.
TEST_P(TwoFingerPinch, FiresOnceWhenTheDistanceHasChangedFiveMillimetres) {
  const PinchCase c = GetParam();
  const float half = 0.10f;
  script.down(1, 0.50f - c.axisX * half, 0.50f - c.axisY * half)
      .down(2, 0.50f + c.axisX * half, 0.50f + c.axisY * half)
      .at(0.00);
  const float move = c.outwardMM / 100;
  script.moveBy(1, -c.axisX * move, -c.axisY * move)
      .moveBy(2, c.axisX * move, c.axisY * move)
      .until(0.10);
  EXPECT_EVENTS(pinch(c.expected));
  script.moveBy(1, -c.axisX * move, -c.axisY * move)
      .moveBy(2, c.axisX * move, c.axisY * move)
      .until(0.20);
  script.up(1).up(2).at(0.50);
  EXPECT_NO_EVENTS();
}

INSTANTIATE_TEST_SUITE_P(Arrangements, TwoFingerPinch,
                         ::testing::Values(PinchCase{"SpreadSideBySide", 1, 0, 4, Direction::up},
                                           PinchCase{"PinchSideBySide", 1, 0, -3, Direction::down},
                                           PinchCase{"SpreadFrontToBack", 0, 1, 4, Direction::up},
                                           PinchCase{"PinchDiagonal", std::sqrt(0.5f),
                                                     std::sqrt(0.5f), -3, Direction::down}),
                         [](const ::testing::TestParamInfo<PinchCase>& info) {
                           return std::string(info.param.name);
                         });

TEST_F(PinchRecognition, OneFingerMovingAwayFromARestingOneIsNoPinch) {
  script.down(1, 0.40, 0.50).down(2, 0.60, 0.50).at(0.00);
  script.moveBy(2, 0.10f, 0).until(0.10);
  script.up(1).up(2).at(0.50);
  EXPECT_NO_EVENTS();
}

TEST_F(PinchRecognition, SessionWithAThirdFingerNeverPinches) {
  script.down(1, 0.40, 0.50).down(2, 0.60, 0.50).down(3, 0.50, 0.70).at(0.00);
  script.up(3).at(0.02);
  script.moveBy(1, -0.05f, 0).moveBy(2, 0.05f, 0).until(0.12);
  script.up(1).up(2).at(0.50);
  EXPECT_NO_EVENTS();

  script.down(4, 0.40, 0.50).down(5, 0.60, 0.50).at(1.00);
  script.moveBy(4, -0.05f, 0).moveBy(5, 0.05f, 0).until(1.10);
  script.up(4).up(5).at(1.50);
  EXPECT_EVENTS(pinch(Direction::up));
}

// Both fingers slide right, the right one further: the mean is a swipe and the growing distance a
// spread. Reached in the same frame, the swipe comes first.
TEST_F(PinchRecognition, SwipeAndSpreadFromOneMovementComeSwipeFirst) {
  script.down(1, 0.30, 0.50).down(2, 0.40, 0.50).at(0.00);
  script.moveBy(1, 0.12f, 0).moveBy(2, 0.18f, 0).at(0.05);
  EXPECT_EVENTS(swipeCandidateBegan(), swipe(2, Direction::right), pinch(Direction::up));
  script.up(1).up(2).at(0.50);
}

}  // namespace
}  // namespace tactora::testing
