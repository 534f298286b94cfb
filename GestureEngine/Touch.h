#pragma once

#include <cstdint>

#include "GestureEngine/PointF.h"
#include "GestureEngine/TouchPhase.h"

namespace tactora {

// One contact of one frame. Positions are fractions of the surface: x from the left edge to the
// right edge, y from the back edge to the front edge of the mouse.
struct Touch {
  std::int32_t id = 0;
  TouchPhase phase = TouchPhase::began;
  PointF position;
  PointF velocity;  // as reported by the device; no recognizer reads it
  float size = 0;   // same scale as RecognitionConfig::minTouchSize
  float pressure = 0;

  friend bool operator==(const Touch&, const Touch&) = default;
};

}  // namespace tactora
