#pragma once

#include <cstdint>
#include <string_view>

namespace tactora::platform {

// Event types of the event system by their numbers. Any other number can occur and is kept as is.
// The two negative values are not events: they are the notices a tap receives when the system has
// disabled it.
enum class EventType : std::int32_t {
  null = 0,
  leftMouseDown = 1,
  leftMouseUp = 2,
  rightMouseDown = 3,
  rightMouseUp = 4,
  mouseMoved = 5,
  leftMouseDragged = 6,
  rightMouseDragged = 7,
  keyDown = 10,
  keyUp = 11,
  flagsChanged = 12,
  scrollWheel = 22,
  otherMouseDown = 25,
  otherMouseUp = 26,
  otherMouseDragged = 27,
  tapDisabledByTimeout = -2,    // 0xFFFFFFFE
  tapDisabledByUserInput = -1,  // 0xFFFFFFFF
};

// A short name for logs and replay output ("leftMouseDown"); unnamed numbers as "type 42".
std::string_view toString(EventType type);

}  // namespace tactora::platform
