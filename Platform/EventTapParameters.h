#pragma once

#include <cstdint>

#include "Platform/EventType.h"

namespace tactora::platform {

// Where in the event stream a tap sits.
enum class EventTapLocation : std::uint32_t {
  hid = 0,      // where synthesized events are posted and hardware events enter
  session = 1,  // the events of the user's login session
  annotatedSession = 2,
};

enum class EventTapPlacement : std::uint32_t { headInsert = 0, tailAppend = 1 };

// `defaultTap` is an active filter that may change or drop events; `listenOnly` only observes.
enum class EventTapOptions : std::uint32_t { defaultTap = 0, listenOnly = 1 };

// One bit per event type: bit n selects type n.
using EventMask = std::uint64_t;

constexpr EventMask eventMaskBit(EventType type) {
  const auto n = static_cast<std::int32_t>(type);
  return n >= 0 && n < 64 ? EventMask{1} << n : 0;
}

struct EventTapParameters {
  EventTapLocation location = EventTapLocation::session;
  EventTapPlacement placement = EventTapPlacement::headInsert;
  EventTapOptions options = EventTapOptions::defaultTap;
  EventMask mask = 0;
};

}  // namespace tactora::platform
