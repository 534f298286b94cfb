#pragma once

#include <span>

#include "GestureEngine/PointF.h"
#include "GestureEngine/SizeF.h"
#include "GestureEngine/Touch.h"

namespace tactora {

// One frame of input. The touches are borrowed from the caller's buffer and are valid only for
// the duration of the engine call that receives the frame; nothing may keep the span.
struct BorrowedFrame {
  double timestamp = 0;  // device frame time, carried but not read by the recognizers
  SizeF surfaceSizeMM;
  std::span<const Touch> touches;
  bool physicalButtonDown = false;
  PointF cursorPosition;  // global display coordinates, points
};

}  // namespace tactora
