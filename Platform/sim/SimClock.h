#pragma once

#include <atomic>

#include "Platform/Clock.h"
#include "Platform/sim/VirtualTimeline.h"

namespace tactora::sim {

// Uptime is the timeline's time; wall-clock time is uptime plus an offset a test may change to
// make the wall clock jump.
class SimClock : public platform::Clock {
 public:
  static constexpr double defaultWallClockOffsetSeconds = 1'700'000'000.0;

  explicit SimClock(VirtualTimeline& timeline) : timeline_(timeline) {}

  double uptimeSeconds() const override { return timeline_.now(); }
  double wallClockSeconds() const override {
    return timeline_.now() + wallOffset_.load(std::memory_order_relaxed);
  }
  void setWallClockOffset(double seconds) { wallOffset_.store(seconds, std::memory_order_relaxed); }

 private:
  VirtualTimeline& timeline_;
  std::atomic<double> wallOffset_{defaultWallClockOffsetSeconds};
};

}  // namespace tactora::sim
