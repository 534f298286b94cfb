#include <algorithm>
#include <limits>

#include <gtest/gtest.h>

#include "Tactora/presentation/GestureDescription.h"

namespace tactora {
namespace {

namespace GD = GestureDescription;
constexpr auto int64Max = std::numeric_limits<std::int64_t>::max();
constexpr auto int64Min = std::numeric_limits<std::int64_t>::min();

TEST(GestureDescription, TitlesNameFingersDirectionAndKind) {
  const std::pair<GestureEvent, std::string> cases[] = {
      {GestureEvent::tap(2), "2-Finger Tap"},
      {GestureEvent::doubleTap(1), "1-Finger Double Tap"},
      {GestureEvent::tripleTap(12345), "12345-Finger Triple Tap"},
      {GestureEvent::swipe(3, Direction::left), "3-Finger Swipe Left"},
      {GestureEvent::swipe(1, Direction::down), "1-Finger Swipe Down"},
      {GestureEvent::pinch(Direction::up), "Spread"},
      {GestureEvent::pinch(Direction::left), "Pinch"},
      {GestureEvent::rightZoneTap(), "Right-Side Tap"},
      {GestureEvent::dragScrollMoved(1, 2), "Click and Drag"},
      {GestureEvent::swipeCandidateBegan(), "(internal)"},
  };
  for (const auto& [event, title] : cases) {
    EXPECT_EQ(GD::title(event), title) << event.description();
  }
}

TEST(GestureDescription, SortKeysOrderPinchesThenEachFingerCountThenDrags) {
  const std::vector<GestureEvent> expected{
      GestureEvent::pinch(Direction::down),
      GestureEvent::pinch(Direction::up),
      GestureEvent::swipe(1, Direction::down),
      GestureEvent::swipe(1, Direction::left),
      GestureEvent::swipe(1, Direction::right),
      GestureEvent::rightZoneTap(),
      GestureEvent::doubleTap(1),
      GestureEvent::tripleTap(1),
      GestureEvent::tap(2),
      GestureEvent::swipe(2, Direction::right),
      GestureEvent::tap(3),
      GestureEvent::dragBegan(0, 0),
  };
  std::vector<GestureEvent> shuffled(expected.rbegin(), expected.rend());
  std::stable_sort(shuffled.begin(), shuffled.end(),
                   [](const auto& a, const auto& b) { return GD::sortKey(a) < GD::sortKey(b); });
  EXPECT_EQ(shuffled, expected);
  EXPECT_EQ(GD::sortKey(GestureEvent::tap(1)), GD::sortKey(GestureEvent::swipe(1, Direction::up)));
  EXPECT_EQ(GD::sortKey(GestureEvent::rightZoneTap()), 110);
  EXPECT_EQ(GD::sortKey(GestureEvent::swipe(4, Direction::right)), 403);
}

TEST(GestureDescription, SortKeysSaturateInsteadOfOverflowing) {
  EXPECT_EQ(GD::sortKey(GestureEvent::tripleTap(int64Max / 100)), int64Max - 1);
  EXPECT_EQ(GD::sortKey(GestureEvent::tap(int64Max)), int64Max - 1);
  EXPECT_EQ(GD::sortKey(GestureEvent::swipe(int64Min, Direction::right)), int64Min);
  EXPECT_EQ(GD::sortKey(GestureEvent::doubleTap(-3)), -280);
  // A huge finger count still sorts before the drag family.
  EXPECT_LT(GD::sortKey(GestureEvent::tap(int64Max)), GD::sortKey(GestureEvent::dragEnded()));
}

}  // namespace
}  // namespace tactora
