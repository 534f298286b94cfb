#pragma once

#include <string>
#include <variant>
#include <vector>

#include "GestureEngine/GestureEvent.h"

namespace tactora {

// A small drawing of the mouse with the fingers and motion of a gesture, as a list of shapes in
// painting order. The top of the drawing is the front of the mouse. Window code only paints the
// shapes (and hides the glyph from accessibility); the geometry lives here so it can be tested.
struct GestureGlyph {
  static constexpr double widthPoints = 26;
  static constexpr double heightPoints = 36;

  struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
  };
  struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    friend bool operator==(const Rect&, const Rect&) = default;
  };
  enum class ColorRole { secondary, accent };
  struct Paint {
    ColorRole role = ColorRole::accent;
    double opacity = 1;
    friend bool operator==(const Paint&, const Paint&) = default;
  };

  // The mouse: a rounded rectangle with continuous corners, filled and outlined.
  struct Body {
    Rect rect;
    double cornerRadius = 0;
    Paint fill;
    Paint stroke;
    double lineWidth = 0;
  };
  // An area filled after clipping it to the body's outline.
  struct ZoneFill {
    Rect rect;
    Paint fill;
  };
  // A filled circle: one finger.
  struct Dot {
    Point center;
    double diameter = 0;
    Paint fill;
  };
  // An outlined circle around a finger of a one-finger tap.
  struct Ring {
    Point center;
    double diameter = 0;
    Paint stroke;
    double lineWidth = 0;
  };
  // One stroked path: the shaft from `start` to `end` and two head strokes from `end` to `headA`
  // and `headB`; round caps and round joins.
  struct Arrow {
    Point start;
    Point end;
    Point headA;
    Point headB;
    Paint stroke;
    double lineWidth = 0;
  };
  // Text in the bold rounded system font, centred on `center`.
  struct Label {
    std::string text;
    Point center;
    double fontSizePoints = 0;
    Paint fill;
  };
  using Shape = std::variant<Body, ZoneFill, Dot, Ring, Arrow, Label>;

  GestureEvent gesture;

  std::vector<Shape> shapes() const;

  // The arrow from `start` to `end` with its head strokes, 3.2 points long at ±144° from the shaft.
  static Arrow arrow(Point start, Point end);
  // Dot centres for a group of fingers around (width / 2, y); the count is clamped to 1...3.
  static std::vector<Point> dotGroup(std::int64_t fingers, double y);
};

}  // namespace tactora
