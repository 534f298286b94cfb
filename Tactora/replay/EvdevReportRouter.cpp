#include "Tactora/replay/EvdevReportRouter.h"

#include <linux/input-event-codes.h>

#include <optional>
#include <utility>

#include "Platform/sim/SimEvents.h"
#include "Platform/sim/provider/SimMultitouch.h"

namespace tactora {

using platform::EventType;

EvdevReportRouter::EvdevReportRouter(sim::SimEvents& events, sim::SimMultitouch& multitouch,
                                     std::int32_t device, ScrollObserver onScroll)
    : events_(events), multitouch_(multitouch), device_(device), onScroll_(std::move(onScroll)) {}

void EvdevReportRouter::route(double relativeSeconds, std::uint16_t type, std::uint16_t code,
                              std::int32_t value) {
  switch (type) {
    case EV_ABS:
      multitouch_.feedEvdev(device_, relativeSeconds, type, code, value);
      return;
    case EV_REL:
      switch (code) {
        case REL_X:
        case REL_Y: {
          platform::Point pointer = events_.pointer();
          (code == REL_X ? pointer.x : pointer.y) += value;
          events_.setPointer(pointer);
          return;
        }
        case REL_WHEEL:
          verticalWheel_.addDetents(value);
          return;
        case REL_HWHEEL:
          horizontalWheel_.addDetents(value);
          return;
        case REL_WHEEL_HI_RES:
          verticalWheel_.addHiResSteps(value);
          return;
        case REL_HWHEEL_HI_RES:
          horizontalWheel_.addHiResSteps(value);
          return;
        default:
          return;
      }
    case EV_KEY:
      // Only the left button matters to the taps; 2 is the kernel's auto-repeat.
      if (code == BTN_LEFT && (value == 0 || value == 1)) {
        events_.deliver(sim::SimEvents::nativeMouseEvent(
            value == 1 ? EventType::leftMouseDown : EventType::leftMouseUp, events_.pointer()));
      }
      return;
    case EV_SYN:
      if (code == SYN_REPORT) {
        endReport();
      }
      multitouch_.feedEvdev(device_, relativeSeconds, type, code, value);
      return;
    default:
      return;
  }
}

void EvdevReportRouter::endReport() {
  const std::int32_t vertical = verticalWheel_.endReport();
  const std::int32_t horizontal = horizontalWheel_.endReport();
  if (vertical == 0 && horizontal == 0) {
    return;
  }
  const std::optional<platform::Event> passed =
      events_.deliver(sim::SimEvents::nativeScrollEvent(vertical, horizontal));
  if (onScroll_) {
    onScroll_(vertical, horizontal, passed.has_value());
  }
}

}  // namespace tactora
