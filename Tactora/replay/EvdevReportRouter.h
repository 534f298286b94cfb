#pragma once

#include <cstdint>
#include <functional>

#include "Tactora/replay/WheelAxis.h"

namespace tactora {
namespace sim {
class SimEvents;
class SimMultitouch;
}  // namespace sim

// Routes the events of one evdev device, one at a time, into the simulated desktop the way the
// mouse's events reach the application: within a report, pointer motion, the left button and the
// wheels reach the event system (and so its taps) first; at the report's end the wheels' scroll is
// delivered, then the report goes to the multitouch provider, which makes its frame.
class EvdevReportRouter {
 public:
  // Told of every native scroll event at the end of its report, and whether the taps passed it.
  using ScrollObserver =
      std::function<void(std::int32_t vertical, std::int32_t horizontal, bool passed)>;

  EvdevReportRouter(sim::SimEvents& events, sim::SimMultitouch& multitouch, std::int32_t device,
                    ScrollObserver onScroll = {});

  // One event, `relativeSeconds` after the session's first.
  void route(double relativeSeconds, std::uint16_t type, std::uint16_t code, std::int32_t value);

 private:
  void endReport();

  sim::SimEvents& events_;
  sim::SimMultitouch& multitouch_;
  std::int32_t device_;
  ScrollObserver onScroll_;
  WheelAxis verticalWheel_;
  WheelAxis horizontalWheel_;
};

}  // namespace tactora
