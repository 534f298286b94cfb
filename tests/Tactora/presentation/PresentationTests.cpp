// How gestures are presented: their titles and order in the lists, and the glyph's geometry as
// properties (the pictures themselves are rendered by scripts/screenshots): how many fingers it
// shows, what marks a multi-tap, and arrows that point the way the fingers go.
#include <algorithm>
#include <cmath>
#include <limits>
#include <set>

#include <gtest/gtest.h>

#include "Tactora/presentation/GestureDescription.h"
#include "Tactora/presentation/GestureGlyph.h"

namespace tactora {
namespace {

namespace GD = GestureDescription;
constexpr auto int64Max = std::numeric_limits<std::int64_t>::max();
constexpr auto int64Min = std::numeric_limits<std::int64_t>::min();

// Titles tell bindable gestures apart (the list's rows, the overlay); a drag reads as one gesture.
TEST(GestureDescription, TitlesTellEveryBindableGestureApart) {
  std::vector<GestureEvent> events{GestureEvent::pinch(Direction::up),
                                   GestureEvent::pinch(Direction::down),
                                   GestureEvent::rightZoneTap(), GestureEvent::dragBegan(0, 0)};
  for (std::int64_t fingers = 1; fingers <= 4; ++fingers) {
    events.insert(events.end(), {GestureEvent::tap(fingers), GestureEvent::doubleTap(fingers),
                                 GestureEvent::tripleTap(fingers)});
    for (const Direction way :
         {Direction::left, Direction::right, Direction::up, Direction::down}) {
      events.push_back(GestureEvent::swipe(fingers, way));
    }
  }
  std::set<std::string> titles;
  for (const auto& event : events) {
    titles.insert(GD::title(event));
  }
  EXPECT_EQ(titles.size(), events.size());
  EXPECT_EQ(GD::title(GestureEvent::dragScrollMoved(1, 2)), GD::title(GestureEvent::dragEnded()));
}

TEST(GestureDescription, SortKeysOrderPinchesThenEachFingerCountThenDragsWithoutOverflowing) {
  const std::vector<GestureEvent> expected{GestureEvent::pinch(Direction::down),
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
                                           GestureEvent::dragBegan(0, 0)};
  std::vector<GestureEvent> shuffled(expected.rbegin(), expected.rend());
  std::stable_sort(shuffled.begin(), shuffled.end(),
                   [](const auto& a, const auto& b) { return GD::sortKey(a) < GD::sortKey(b); });
  EXPECT_EQ(shuffled, expected);
  EXPECT_EQ(GD::sortKey(GestureEvent::tripleTap(int64Max / 100)), int64Max - 1);
  EXPECT_EQ(GD::sortKey(GestureEvent::swipe(int64Min, Direction::right)), int64Min);
}

using Glyph = GestureGlyph;
using Point = Glyph::Point;

template <class T>
std::vector<T> shapesOf(const GestureEvent& event) {
  std::vector<T> found;
  for (const auto& shape : Glyph{event}.shapes()) {
    if (const auto* each = std::get_if<T>(&shape)) {
      found.push_back(*each);
    }
  }
  return found;
}

double distance(Point a, Point b) {
  return std::hypot(b.x - a.x, b.y - a.y);
}

TEST(GestureGlyph, ShowsOneToThreeFingersAndMarksOnlyOneFingerMultiTaps) {
  const std::tuple<GestureEvent, std::size_t, std::size_t> cases[] = {
      {GestureEvent::tap(5), 3, 0},          {GestureEvent::swipe(0, Direction::down), 1, 0},
      {GestureEvent::doubleTap(2), 2, 0},    {GestureEvent::tripleTap(1), 1, 1},
      {GestureEvent::dragBegan(0, 0), 1, 0}, {GestureEvent::rightZoneTap(), 1, 1}};
  for (const auto& [event, dots, rings] : cases) {
    EXPECT_EQ(shapesOf<Glyph::Dot>(event).size(), dots) << event.description();
    EXPECT_EQ(shapesOf<Glyph::Ring>(event).size(), rings) << event.description();
  }
  EXPECT_EQ(shapesOf<Glyph::Label>(GestureEvent::tripleTap(1)).at(0).text, "3\u00D7");
}

// Every arrow's two heads are as long as each other and lean back from its end; swipes point
// their way, spreads outwards and pinches inwards; all within the glyph.
TEST(GestureGlyph, ArrowsPointTheWayTheFingersGo) {
  const Point centre{Glyph::widthPoints / 2, Glyph::heightPoints / 2};
  const std::pair<GestureEvent, Point> cases[] = {
      {GestureEvent::swipe(2, Direction::left), {-1, 0}},
      {GestureEvent::swipe(1, Direction::right), {1, 0}},
      {GestureEvent::swipe(3, Direction::up), {0, -1}},  // the top is the front
      {GestureEvent::swipe(0, Direction::down), {0, 1}},
      {GestureEvent::pinch(Direction::up), {}},
      {GestureEvent::pinch(Direction::down), {}}};
  for (const auto& [event, way] : cases) {
    SCOPED_TRACE(event.description());
    const auto arrows = shapesOf<Glyph::Arrow>(event);
    ASSERT_FALSE(arrows.empty());
    for (const auto& arrow : arrows) {
      EXPECT_NEAR(distance(arrow.end, arrow.headA), distance(arrow.end, arrow.headB), 1e-9);
      for (const Point head : {arrow.headA, arrow.headB}) {
        EXPECT_LT(distance(head, arrow.start), distance(arrow.end, arrow.start));
        EXPECT_TRUE(head.x >= 0 && head.x <= Glyph::widthPoints && head.y >= 0 &&
                    head.y <= Glyph::heightPoints);
      }
      if (event.kind() == GestureEvent::Case::swipe) {
        EXPECT_GT((arrow.end.x - arrow.start.x) * way.x + (arrow.end.y - arrow.start.y) * way.y, 0);
      } else {
        const bool outwards = distance(arrow.end, centre) > distance(arrow.start, centre);
        EXPECT_EQ(outwards, event == GestureEvent::pinch(Direction::up));
      }
    }
  }
}

TEST(GestureGlyph, RightSideTapFillsTheFrontRightZoneUnderItsFinger) {
  const auto zone = shapesOf<Glyph::ZoneFill>(GestureEvent::rightZoneTap()).at(0).rect;
  const Point finger = shapesOf<Glyph::Dot>(GestureEvent::rightZoneTap()).at(0).center;
  EXPECT_GE(zone.x, Glyph::widthPoints / 2);
  EXPECT_LT(zone.y + zone.height, Glyph::heightPoints / 2);
  EXPECT_TRUE(finger.x > zone.x && finger.x < zone.x + zone.width && finger.y > zone.y &&
              finger.y < zone.y + zone.height);
}

}  // namespace
}  // namespace tactora
