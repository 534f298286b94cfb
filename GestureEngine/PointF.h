#pragma once

namespace tactora {

// A pair of single-precision values: a surface position in fractions, a velocity, or a pointer
// position in display points, depending on where it is used.
struct PointF {
  float x = 0;
  float y = 0;

  friend bool operator==(const PointF&, const PointF&) = default;
};

}  // namespace tactora
