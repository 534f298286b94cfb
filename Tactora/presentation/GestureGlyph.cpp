#include "Tactora/presentation/GestureGlyph.h"

#include <algorithm>
#include <cmath>

#include "Tactora/presentation/GestureDescription.h"

namespace tactora {

namespace {

using Point = GestureGlyph::Point;
using Paint = GestureGlyph::Paint;
using ColorRole = GestureGlyph::ColorRole;

constexpr double width = GestureGlyph::widthPoints;
constexpr double height = GestureGlyph::heightPoints;
constexpr double cx = width / 2;

constexpr double bodyInset = 1.5;
constexpr double dotDiameter = 5.6;
constexpr double ringDiameter = 10;
constexpr double ringLineWidth = 1;
constexpr double arrowLineWidth = 1.5;
constexpr double arrowHeadLength = 3.2;
constexpr double arrowHeadAngleRadians = 2.5132741;  // 144°: 36° against the reversed shaft
constexpr double labelFontSizePoints = 8;
constexpr double rightZoneHeightFraction = 0.45;

constexpr Paint accent{ColorRole::accent, 1};
constexpr Paint ringPaint{ColorRole::accent, 0.45};

GestureGlyph::Rect bodyRect() {
  return {bodyInset, bodyInset, width - 2 * bodyInset, height - 2 * bodyInset};
}

void addDots(std::vector<GestureGlyph::Shape>& shapes, const std::vector<Point>& centres,
             bool withRings) {
  for (const auto& centre : centres) {
    shapes.emplace_back(GestureGlyph::Dot{centre, dotDiameter, accent});
    if (withRings) {
      shapes.emplace_back(GestureGlyph::Ring{centre, ringDiameter, ringPaint, ringLineWidth});
    }
  }
}

}  // namespace

GestureGlyph::Arrow GestureGlyph::arrow(Point start, Point end) {
  const double shaft = std::atan2(end.y - start.y, end.x - start.x);
  auto head = [&](double angle) {
    return Point{end.x + arrowHeadLength * std::cos(shaft + angle),
                 end.y + arrowHeadLength * std::sin(shaft + angle)};
  };
  return Arrow{start,  end,           head(arrowHeadAngleRadians), head(-arrowHeadAngleRadians),
               accent, arrowLineWidth};
}

std::vector<Point> GestureGlyph::dotGroup(std::int64_t fingers, double y) {
  switch (std::clamp<std::int64_t>(fingers, 1, 3)) {
    case 1:
      return {{cx, y}};
    case 2:
      return {{cx - 4, y}, {cx + 4, y}};
    default:
      return {{cx - 6, y + 1.5}, {cx, y - 1.5}, {cx + 6, y + 1.5}};
  }
}

std::vector<GestureGlyph::Shape> GestureGlyph::shapes() const {
  std::vector<Shape> shapes;
  const Rect body = bodyRect();
  shapes.emplace_back(Body{body, body.width / 2, Paint{ColorRole::secondary, 0.08},
                           Paint{ColorRole::secondary, 0.70}, 1.2});

  using C = GestureEvent::Case;
  switch (GestureDescription::category(gesture)) {
    case GestureDescription::Category::taps:
      if (gesture.kind() == C::rightZoneTap) {
        const Rect zone{cx, body.y, body.x + body.width - cx,
                        body.height * rightZoneHeightFraction};
        shapes.emplace_back(ZoneFill{zone, Paint{ColorRole::accent, 0.18}});
        addDots(shapes, {{cx + 5.5, 10}}, true);
        break;
      }
      addDots(shapes, dotGroup(gesture.fingers(), 12), gesture.fingers() == 1);
      if (gesture.kind() != C::tap) {
        const char* text = gesture.kind() == C::doubleTap ? "2\u00D7" : "3\u00D7";
        shapes.emplace_back(Label{text, {cx, height - 9}, labelFontSizePoints, accent});
      }
      break;
    case GestureDescription::Category::swipes: {
      const Direction direction = gesture.direction();
      const bool horizontal = direction == Direction::left || direction == Direction::right;
      addDots(shapes, dotGroup(gesture.fingers(), horizontal ? 12 : 23), false);
      switch (direction) {
        case Direction::left:
          shapes.emplace_back(arrow({cx + 6, 23}, {cx - 6, 23}));
          break;
        case Direction::right:
          shapes.emplace_back(arrow({cx - 6, 23}, {cx + 6, 23}));
          break;
        case Direction::up:
          shapes.emplace_back(arrow({cx, 15}, {cx, 6}));
          break;
        case Direction::down:
          shapes.emplace_back(arrow({cx, 6}, {cx, 15}));
          break;
      }
      break;
    }
    case GestureDescription::Category::pinch: {
      addDots(shapes, {{cx - 3.5, 21}, {cx + 3.5, 14}}, false);
      const Point lowerInner{cx - 5.5, 23.5};
      const Point lowerOuter{cx - 8, 27};
      const Point upperInner{cx + 5.5, 11.5};
      const Point upperOuter{cx + 8, 8};
      if (gesture.direction() == Direction::up) {  // spread: arrows point outwards
        shapes.emplace_back(arrow(lowerInner, lowerOuter));
        shapes.emplace_back(arrow(upperInner, upperOuter));
      } else {
        shapes.emplace_back(arrow(lowerOuter, lowerInner));
        shapes.emplace_back(arrow(upperOuter, upperInner));
      }
      break;
    }
    case GestureDescription::Category::other:
      addDots(shapes, {{cx, 12}}, false);
      break;
  }
  return shapes;
}

}  // namespace tactora
