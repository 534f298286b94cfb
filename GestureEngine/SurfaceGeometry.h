#pragma once

#include <cmath>

#include "GestureEngine/PointF.h"
#include "GestureEngine/SizeF.h"

namespace tactora {

// The one place where surface fractions become millimetres: each component of a displacement is
// scaled by the surface's size on that axis.
inline PointF displacementMM(PointF from, PointF to, SizeF surfaceSizeMM) {
  return {(to.x - from.x) * surfaceSizeMM.width, (to.y - from.y) * surfaceSizeMM.height};
}

inline float lengthMM(PointF displacement) {
  return std::hypot(displacement.x, displacement.y);
}

inline float distanceMM(PointF from, PointF to, SizeF surfaceSizeMM) {
  return lengthMM(displacementMM(from, to, surfaceSizeMM));
}

}  // namespace tactora
