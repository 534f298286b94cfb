#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "Platform/Event.h"
#include "Platform/EventSource.h"
#include "Platform/EventTap.h"

namespace tactora::platform {

enum class MouseButton : std::uint32_t { left = 0, right = 1, center = 2 };

enum class ScrollEventUnit : std::uint32_t { pixel = 0, line = 1 };

// The event system: sources, event creation, posting, held modifiers and event taps. Every
// creation can fail (no permission, no session); callers handle the empty result.
class Events {
 public:
  virtual ~Events() = default;

  virtual std::optional<EventSource> createEventSource(EventSourceStateID stateID) = 0;

  // A null-type event at the current pointer location; `source` may be null (no source).
  virtual std::optional<Event> createEvent(const EventSource* source) = 0;
  // Key down (type 10) or key up (11) with the key code in field 9 and no flags.
  virtual std::optional<Event> createKeyboardEvent(const EventSource* source, std::uint16_t keyCode,
                                                   bool keyDown) = 0;
  // A mouse event of `type` at `location`; the button number goes in field 3.
  virtual std::optional<Event> createMouseEvent(const EventSource* source, EventType type,
                                                Point location, MouseButton button) = 0;
  // A scroll-wheel event (type 22) at the pointer. Wheel 1 is vertical, wheel 2 horizontal. The
  // wheels are stored in fields 11 and 12; in pixel units also in 96 and 97, with 88 set to 1.
  virtual std::optional<Event> createScrollWheelEvent(const EventSource* source,
                                                      ScrollEventUnit units,
                                                      std::uint32_t wheelCount, std::int32_t wheel1,
                                                      std::int32_t wheel2) = 0;

  // Posts `event` into the event stream at `location` (the system posts at `hid`).
  virtual void post(EventTapLocation location, const Event& event) = 0;
  // The current pointer location; empty when it cannot be read.
  virtual std::optional<Point> pointerLocation() = 0;
  // The modifier flags held right now for the state table (combined session for lookups).
  virtual EventFlags flagsState(EventSourceStateID stateID) = 0;

  // Creates a tap; null when the system refuses (missing Accessibility or Input Monitoring). The
  // tap's callbacks run on the run loop it is added to (`RunLoop::addTapSource`).
  virtual std::shared_ptr<EventTap> createEventTap(const EventTapParameters& parameters,
                                                   EventTapCallback callback) = 0;
};

}  // namespace tactora::platform
