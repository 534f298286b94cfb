#pragma once

#include <cstdint>
#include <string_view>

namespace tactora {

// Where the tap recognizer's click-and-drag stands. The contacts that hold the roles (the drag
// finger, the scroll finger) belong to the state they are named in.
enum class DragState : std::uint8_t {
  idle,                // no drag candidate
  armed,               // a resting finger is the candidate; the pointer has not travelled enough
  armedWithPending,    // armed, and a second finger waits to scroll once the drag starts
  dragging,            // the candidate is the drag finger
  draggingWithScroll,  // dragging, and a second finger scrolls
};

std::string_view toString(DragState state);

}  // namespace tactora
