#include "Platform/EventType.h"

namespace tactora::platform {

std::string_view toString(EventType type) {
  switch (type) {
    case EventType::null:
      return "null";
    case EventType::leftMouseDown:
      return "leftMouseDown";
    case EventType::leftMouseUp:
      return "leftMouseUp";
    case EventType::rightMouseDown:
      return "rightMouseDown";
    case EventType::rightMouseUp:
      return "rightMouseUp";
    case EventType::mouseMoved:
      return "mouseMoved";
    case EventType::leftMouseDragged:
      return "leftMouseDragged";
    case EventType::rightMouseDragged:
      return "rightMouseDragged";
    case EventType::keyDown:
      return "keyDown";
    case EventType::keyUp:
      return "keyUp";
    case EventType::flagsChanged:
      return "flagsChanged";
    case EventType::scrollWheel:
      return "scrollWheel";
    case EventType::otherMouseDown:
      return "otherMouseDown";
    case EventType::otherMouseUp:
      return "otherMouseUp";
    case EventType::otherMouseDragged:
      return "otherMouseDragged";
    case EventType::tapDisabledByTimeout:
      return "tapDisabledByTimeout";
    case EventType::tapDisabledByUserInput:
      return "tapDisabledByUserInput";
  }
  return "unknown";  // only a value cast from outside the enumeration
}

}  // namespace tactora::platform
