#pragma once

#include <linux/input.h>

#include <array>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

#include "Platform/EventTap.h"
#include "Platform/MaskedEventTap.h"

namespace tactora::lx {

// The event taps of the Linux backend. The mouse's own events reach them through the evdev
// provider's report filter: per report, the left button becomes a left-mouse-down or -up event
// and the wheels one scroll-wheel event, passed through every enabled tap whose mask has its type,
// in creation order. A filtering tap can swallow the scroll event, and then every wheel event of
// the report (hi-res and detents together) is held back; nothing else is ever dropped. Events we
// post ourselves go out through uinput and never come back here.
class LinuxEventTaps {
 public:
  static constexpr std::size_t maxTaps = 8;
  // Scroll events carry their wheels in 1/120 detents, the kernel's hi-res unit, so a report with
  // only a part of a detent still reaches the taps with its direction.
  static constexpr std::int32_t hiResUnitsPerDetent = 120;

  LinuxEventTaps() = default;
  LinuxEventTaps(const LinuxEventTaps&) = delete;
  LinuxEventTaps& operator=(const LinuxEventTaps&) = delete;

  // Null when more than `maxTaps` are alive.
  std::shared_ptr<platform::EventTap> createEventTap(const platform::EventTapParameters& parameters,
                                                     platform::EventTapCallback callback);

  // One report's non-touch events: the taps see them, the swallowed ones are removed (the rest
  // keep their order). Returns the number kept. Allocates nothing.
  std::int32_t filterReport(input_event* events, std::int32_t count);

  // A C entry with the provider's filter signature; `context` is the LinuxEventTaps.
  static std::int32_t filterReportEntry(void* context, input_event* events, std::int32_t count);

 private:
  // Passes `event` through the taps; false when a filtering tap swallowed it.
  bool deliver(platform::Event& event);

  std::mutex mutex_;
  std::vector<std::weak_ptr<platform::MaskedEventTap>>
      taps_;  // creation order; changed only on creation
};

}  // namespace tactora::lx
