#pragma once

#include "Platform/Clock.h"

namespace tactora::platform {

// The real clocks: CLOCK_MONOTONIC (stops while suspended) and CLOCK_REALTIME.
class SystemClock : public Clock {
 public:
  double uptimeSeconds() const override;
  double wallClockSeconds() const override;
};

}  // namespace tactora::platform
