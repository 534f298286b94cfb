#pragma once

namespace tactora::platform {

// A position in global display coordinates, in points (origin at the top left of the main
// display), as the event system reports and takes it.
struct Point {
  double x = 0;
  double y = 0;

  friend bool operator==(const Point&, const Point&) = default;
};

}  // namespace tactora::platform
