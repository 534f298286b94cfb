#pragma once

#include <cstdint>
#include <optional>

#include "Platform/Event.h"
#include "Platform/EventSource.h"
#include "Platform/Platform.h"

namespace tactora {

// The one event source every synthesized event comes from, and the marker that lets the
// system's own taps recognise its mouse and scroll events. Not instantiable.
class SharedEventSource {
 public:
  SharedEventSource() = delete;

  // The seven ASCII bytes of "Tactora", first letter most significant.
  static constexpr std::int64_t syntheticMarker = 0x546163746F7261;

  // The source of the installed platform, made on first use with the HID-system state table.
  // Empty when the platform refused it; it then stays empty.
  static std::optional<platform::EventSource> source();
  static std::optional<platform::EventSource> source(platform::Platform& platform);

  // True when the event's user-data field carries `syntheticMarker`.
  static bool isSynthetic(const platform::Event& event);
};

}  // namespace tactora
