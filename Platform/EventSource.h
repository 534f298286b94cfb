#pragma once

#include <cstdint>

namespace tactora::platform {

// Which key and button state an event source (or a flags query) follows.
enum class EventSourceStateID : std::int32_t {
  privateState = -1,
  combinedSessionState = 0,
  hidSystemState = 1,
};

// An event source handed out by `Events::createEventSource`. Events created from it carry its
// user data in field 42 unless changed.
struct EventSource {
  EventSourceStateID stateID = EventSourceStateID::hidSystemState;
  std::int64_t userData = 0;

  friend bool operator==(const EventSource&, const EventSource&) = default;
};

}  // namespace tactora::platform
