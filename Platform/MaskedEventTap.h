#pragma once

#include <atomic>

#include "Platform/EventTap.h"

namespace tactora::platform {

// An event tap as the backends keep it: its parameters, its callback and an enabled switch that
// any thread may flip while another delivers. Taps are enabled when created, as the system's are.
// The backend decides where events come from and calls `pass` for each tap in order.
class MaskedEventTap final : public EventTap {
 public:
  MaskedEventTap(const EventTapParameters& parameters, EventTapCallback callback);

  const EventTapParameters& parameters() const override { return parameters_; }
  void enable(bool enabled) override;
  bool isEnabled() const override;

  // Enabled, and `type` is in the mask. Read at the moment an event reaches the tap: an earlier
  // tap's callback may have switched this one.
  bool wants(EventType type) const;
  // Calls the callback (a missing one passes the event on). Also used for the disabled notices,
  // whose `type` is not the event's.
  Event* call(EventType type, Event& event);
  // Passes `event` through the tap when it wants it: a listener gets a copy it cannot change or
  // drop; a filter may change the event in place or swallow it. False when swallowed.
  bool pass(Event& event);

 private:
  EventTapParameters parameters_;
  EventTapCallback callback_;
  std::atomic<bool> enabled_{true};
};

}  // namespace tactora::platform
