#pragma once

#include <functional>

#include "Platform/Event.h"
#include "Platform/EventTapParameters.h"

namespace tactora::platform {

// Called for every event the tap sees, and with type `tapDisabledByTimeout` or
// `tapDisabledByUserInput` when the system has disabled the tap. Return `&event` (possibly
// changed) to pass it on, or nullptr to swallow it; a listen-only tap cannot swallow or change.
using EventTapCallback = std::function<Event*(EventType type, Event& event)>;

// A created event tap (its port). Destroying the last reference removes the tap from the system.
class EventTap {
 public:
  virtual ~EventTap() = default;
  virtual const EventTapParameters& parameters() const = 0;
  virtual void enable(bool enabled) = 0;
  virtual bool isEnabled() const = 0;
};

}  // namespace tactora::platform
