// Swipes: one or more fingers sliding together while the mouse stays still.
#include <string>

#include "EngineScriptTest.h"

namespace tactora::testing {
namespace {

struct SwipeCase {
  int fingers;
  Direction direction;
};

class MultiFingerSwipe : public EngineScriptTest,
                         public ::testing::WithParamInterface<SwipeCase> {};

// Horizontal swipes need 12 mm, vertical ones 8 mm, at 60 mm/s on average since touch-down. The
// candidate comes at 35% of the travel; a session fires once however far it goes on; 1 mm short
// of the travel only the candidate comes; a button click in the session stops both.
TEST_P(MultiFingerSwipe, CandidateThenSwipeOncePerSession) {
  const auto [fingers, direction] = GetParam();
  const bool horizontal = direction == Direction::left || direction == Direction::right;
  const float sign = direction == Direction::left || direction == Direction::down ? -1 : 1;
  const float travelMM[] = {horizontal ? 26.0f : 18.0f, horizontal ? 11.0f : 7.0f, 26.0f};
  for (int k = 0; k < 3; ++k) {
    for (int i = 0; i < fingers; ++i) {
      script.down(10 * k + i, 0.35f + 0.06f * i, 0.45f);
    }
    script.button(k == 2).at(k);
    const float d = sign * travelMM[k] / 100;
    for (int i = 0; i < fingers; ++i) {
      script.moveBy(10 * k + i, horizontal ? d : 0, horizontal ? 0 : d);
    }
    script.button(false).until(k + 0.10);
    for (int i = 0; i < fingers; ++i) {
      script.up(10 * k + i);
    }
    script.at(k + 0.11);
  }
  EXPECT_EVENTS(swipeCandidateBegan(), swipe(fingers, direction), swipeCandidateBegan());
}

INSTANTIATE_TEST_SUITE_P(
    FingersAndDirections, MultiFingerSwipe,
    ::testing::Values(SwipeCase{2, Direction::left}, SwipeCase{2, Direction::right},
                      SwipeCase{2, Direction::up}, SwipeCase{2, Direction::down},
                      SwipeCase{3, Direction::left}, SwipeCase{3, Direction::up},
                      SwipeCase{4, Direction::right}, SwipeCase{4, Direction::down}),
    [](const auto& info) {
      return std::to_string(info.param.fingers) + std::string(toString(info.param.direction));
    });

const ScriptCase swipeCases[] = {
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

}  // namespace
}  // namespace tactora::testing
