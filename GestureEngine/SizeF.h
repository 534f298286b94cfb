#pragma once

namespace tactora {

// A width and height in single precision (the touch surface's size in millimetres).
struct SizeF {
  float width = 0;
  float height = 0;

  friend bool operator==(const SizeF&, const SizeF&) = default;
};

}  // namespace tactora
