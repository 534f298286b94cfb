#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "GestureEngine/GestureEvent.h"
#include "GestureEngine/SizeF.h"

namespace tactora::settings {

// One contact as the surface view draws it: position in surface fractions (x from the left
// edge, y from the back edge towards the front), its size, and whether it is still down.
struct SurfaceContact {
  float x = 0;
  float y = 0;
  float size = 0;
  bool lifting = false;
};

// What the surface view shows of the live input: the contacts of the newest frame, how many
// frames have arrived, and the last gesture recognised. Fixed size, so handing it over between
// threads never allocates.
struct SurfaceSnapshot {
  static constexpr std::size_t maxContacts = 16;
  // The Magic Mouse's surface until a frame says otherwise.
  static constexpr SizeF defaultSurfaceSizeMM{51.5f, 90.5f};

  std::array<SurfaceContact, maxContacts> contacts{};
  std::size_t contactCount = 0;
  SizeF surfaceSizeMM = defaultSurfaceSizeMM;
  std::uint64_t frameCount = 0;
  std::optional<GestureEvent> lastGesture;
};

}  // namespace tactora::settings
