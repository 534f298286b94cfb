#pragma once

#include <cstdint>

namespace tactora::platform {

// Integer fields of an event by their numbers. Other numbers may be set and read as well.
enum class EventField : std::uint32_t {
  mouseEventClickState = 1,
  mouseEventButtonNumber = 3,
  mouseEventDeltaX = 4,
  mouseEventDeltaY = 5,
  keyboardEventKeycode = 9,
  scrollWheelEventDeltaAxis1 = 11,  // vertical, in lines
  scrollWheelEventDeltaAxis2 = 12,  // horizontal, in lines
  eventSourceUserData = 42,
  scrollWheelEventIsContinuous = 88,     // 1 for pixel-unit scrolling
  scrollWheelEventPointDeltaAxis1 = 96,  // vertical, in pixels
  scrollWheelEventPointDeltaAxis2 = 97,  // horizontal, in pixels
  // Ours, outside the system's numbers: the `FixedShortcut` a keyboard event belongs to (0 for
  // none). Backends whose desktop binds that function to other keys read it; nothing prints it.
  fixedShortcut = 0x7461,
};

}  // namespace tactora::platform
