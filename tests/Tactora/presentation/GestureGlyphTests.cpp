#include <cmath>
#include <numbers>

#include <gtest/gtest.h>

#include "Tactora/presentation/GestureGlyph.h"

namespace tactora {
namespace {

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

std::vector<Point> dotCentres(const GestureEvent& event) {
  std::vector<Point> centres;
  for (const auto& dot : shapesOf<Glyph::Dot>(event)) {
    centres.push_back(dot.center);
  }
  return centres;
}

double length(Point a, Point b) {
  return std::hypot(b.x - a.x, b.y - a.y);
}

TEST(GestureGlyph, FingerCountsAreClampedAndOnlyOneFingerTapsGetRings) {
  EXPECT_EQ(dotCentres(GestureEvent::tap(5)),
            (std::vector<Point>{{7, 13.5}, {13, 10.5}, {19, 13.5}}));
  EXPECT_TRUE(shapesOf<Glyph::Ring>(GestureEvent::tap(5)).empty());
  EXPECT_EQ(dotCentres(GestureEvent::doubleTap(2)), (std::vector<Point>{{9, 12}, {17, 12}}));
  EXPECT_EQ(dotCentres(GestureEvent::dragBegan(0, 0)), (std::vector<Point>{{13, 12}}));

  const auto rings = shapesOf<Glyph::Ring>(GestureEvent::tripleTap(1));
  ASSERT_EQ(rings.size(), 1u);
  EXPECT_EQ(rings[0].center, (Point{13, 12}));
  EXPECT_EQ(rings[0].diameter, 10);
  const auto labels = shapesOf<Glyph::Label>(GestureEvent::tripleTap(1));
  ASSERT_EQ(labels.size(), 1u);
  EXPECT_EQ(labels[0].text, "3\u00D7");
  EXPECT_EQ(labels[0].center, (Point{13, 27}));
}

TEST(GestureGlyph, SwipesDrawTheirArrowWithHeadsAt36DegreesToTheReversedShaft) {
  EXPECT_EQ(dotCentres(GestureEvent::swipe(0, Direction::down)), (std::vector<Point>{{13, 23}}));
  const auto down = shapesOf<Glyph::Arrow>(GestureEvent::swipe(0, Direction::down));
  ASSERT_EQ(down.size(), 1u);
  EXPECT_EQ(down[0].start, (Point{13, 6}));
  EXPECT_EQ(down[0].end, (Point{13, 15}));
  // Pointing down (+y), both heads go back up and out to either side.
  for (const auto& head : {down[0].headA, down[0].headB}) {
    EXPECT_NEAR(length(down[0].end, head), 3.2, 1e-9);
    const double angle = std::atan2(head.y - down[0].end.y, std::abs(head.x - down[0].end.x));
    EXPECT_NEAR(angle, -std::numbers::pi / 2 + 36 * std::numbers::pi / 180, 1e-6);
  }
  EXPECT_NEAR(down[0].headA.x + down[0].headB.x, 26, 1e-9);  // symmetric about the shaft

  const auto left = shapesOf<Glyph::Arrow>(GestureEvent::swipe(2, Direction::left));
  EXPECT_EQ(left[0].start, (Point{19, 23}));
  EXPECT_EQ(left[0].end, (Point{7, 23}));
  EXPECT_GT(left[0].headA.x, left[0].end.x);
}

TEST(GestureGlyph, PinchArrowsPointOutwardsOnlyWhenSpreading) {
  const auto spread = shapesOf<Glyph::Arrow>(GestureEvent::pinch(Direction::up));
  ASSERT_EQ(spread.size(), 2u);
  EXPECT_EQ(spread[0].end, (Point{5, 27}));
  EXPECT_EQ(spread[1].end, (Point{21, 8}));
  const auto pinch = shapesOf<Glyph::Arrow>(GestureEvent::pinch(Direction::right));
  EXPECT_EQ(pinch[0].start, (Point{5, 27}));
  EXPECT_EQ(pinch[0].end, (Point{7.5, 23.5}));
  EXPECT_EQ(dotCentres(GestureEvent::pinch(Direction::down)),
            (std::vector<Point>{{9.5, 21}, {16.5, 14}}));
}

TEST(GestureGlyph, RightSideTapFillsTheFrontRightZoneUnderItsRingedDot) {
  const auto shapes = Glyph{GestureEvent::rightZoneTap()}.shapes();
  ASSERT_EQ(shapes.size(), 4u);
  const auto& zone = std::get<Glyph::ZoneFill>(shapes[1]);
  EXPECT_EQ(zone.rect.x, 13);
  EXPECT_EQ(zone.rect.y, 1.5);
  EXPECT_EQ(zone.rect.width, 11.5);
  EXPECT_NEAR(zone.rect.height, 14.85, 1e-9);
  EXPECT_EQ(zone.fill, (Glyph::Paint{Glyph::ColorRole::accent, 0.18}));
  EXPECT_EQ(std::get<Glyph::Dot>(shapes[2]).center, (Point{18.5, 10}));
  EXPECT_EQ(std::get<Glyph::Ring>(shapes[3]).center, (Point{18.5, 10}));
}

}  // namespace
}  // namespace tactora
