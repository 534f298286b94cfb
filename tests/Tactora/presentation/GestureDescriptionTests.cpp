#include <algorithm>
#include <limits>
#include <set>

#include <gtest/gtest.h>

#include "Tactora/presentation/GestureDescription.h"

namespace tactora {
namespace {

namespace GD = GestureDescription;
constexpr auto int64Max = std::numeric_limits<std::int64_t>::max();
constexpr auto int64Min = std::numeric_limits<std::int64_t>::min();

// Titles tell bindable gestures apart (the list's rows, the overlay); a drag reads as one gesture.
TEST(GestureDescription, TitlesTellEveryBindableGestureApart) {
  std::set<std::string> titles;
  std::size_t gestures = 0;
  for (std::int64_t fingers = 1; fingers <= 4; ++fingers) {
    for (const auto& event :
         {GestureEvent::tap(fingers), GestureEvent::doubleTap(fingers),
          GestureEvent::tripleTap(fingers), GestureEvent::swipe(fingers, Direction::left),
          GestureEvent::swipe(fingers, Direction::right),
          GestureEvent::swipe(fingers, Direction::up),
          GestureEvent::swipe(fingers, Direction::down)}) {
      titles.insert(GD::title(event));
      ++gestures;
    }
  }
  for (const auto& event :
       {GestureEvent::pinch(Direction::up), GestureEvent::pinch(Direction::down),
        GestureEvent::rightZoneTap(), GestureEvent::dragBegan(0, 0)}) {
    titles.insert(GD::title(event));
    ++gestures;
  }
  EXPECT_EQ(titles.size(), gestures);
  EXPECT_EQ(GD::title(GestureEvent::swipe(3, Direction::left)), "3-Finger Swipe Left");
  EXPECT_EQ(GD::title(GestureEvent::dragScrollMoved(1, 2)), GD::title(GestureEvent::dragEnded()));
}

TEST(GestureDescription, SortKeysOrderPinchesThenEachFingerCountThenDragsWithoutOverflowing) {
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
      GestureEvent::tap(int64Max),
      GestureEvent::dragBegan(0, 0),
  };
  std::vector<GestureEvent> shuffled(expected.rbegin(), expected.rend());
  std::stable_sort(shuffled.begin(), shuffled.end(),
                   [](const auto& a, const auto& b) { return GD::sortKey(a) < GD::sortKey(b); });
  EXPECT_EQ(shuffled, expected);
  EXPECT_EQ(GD::sortKey(GestureEvent::tripleTap(int64Max / 100)), int64Max - 1);
  EXPECT_EQ(GD::sortKey(GestureEvent::swipe(int64Min, Direction::right)), int64Min);
}

}  // namespace
}  // namespace tactora
