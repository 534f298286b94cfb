#include "Platform/MaskedEventTap.h"

#include <utility>

namespace tactora::platform {

MaskedEventTap::MaskedEventTap(const EventTapParameters& parameters, EventTapCallback callback)
    : parameters_(parameters), callback_(std::move(callback)) {}

void MaskedEventTap::enable(bool enabled) {
  enabled_.store(enabled, std::memory_order_release);
}

bool MaskedEventTap::isEnabled() const {
  return enabled_.load(std::memory_order_acquire);
}

bool MaskedEventTap::wants(EventType type) const {
  return isEnabled() && (parameters_.mask & eventMaskBit(type)) != 0;
}

Event* MaskedEventTap::call(EventType type, Event& event) {
  return callback_ ? callback_(type, event) : &event;
}

bool MaskedEventTap::pass(Event& event) {
  if (!wants(event.type())) {
    return true;
  }
  switch (parameters_.options) {
    case EventTapOptions::listenOnly: {
      Event copy = event;
      call(copy.type(), copy);
      return true;
    }
    case EventTapOptions::defaultTap: {
      Event* result = call(event.type(), event);
      if (result == nullptr) {
        return false;
      }
      if (result != &event) {
        event = *result;
      }
      return true;
    }
  }
  return true;
}

}  // namespace tactora::platform
