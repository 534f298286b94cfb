#pragma once

#include <cstdint>

#include "Platform/Event.h"
#include "Platform/EventSource.h"
#include "Platform/Events.h"

namespace tactora::platform {

// How an event system fills the events it creates, the same on every backend: the source's user
// data (the synthesized-event marker) when it has one, then the fields of the event's kind.
class EventBuilder {
 public:
  static Event event(const EventSource* source, EventType type, Point location);
  static Event keyboard(const EventSource* source, std::uint16_t keyCode, bool keyDown,
                        Point location);
  static Event mouse(const EventSource* source, EventType type, Point location, MouseButton button);
  // A second wheel counts only when `wheelCount` says so; pixel units also fill the point deltas
  // and mark the event continuous.
  static Event scrollWheel(const EventSource* source, Point location, ScrollEventUnit units,
                           std::uint32_t wheelCount, std::int32_t wheel1, std::int32_t wheel2);
};

}  // namespace tactora::platform
