#pragma once

namespace tactora::platform {

// The two clocks of the process: uptime for recognition, suppression and timers; wall-clock time
// for the no-frame watchdog and stored timestamps.
class Clock {
 public:
  virtual ~Clock() = default;

  // Seconds since boot, monotonic; excludes time spent suspended.
  virtual double uptimeSeconds() const = 0;
  // Seconds since the Unix epoch; may jump when the user or the network sets the time.
  virtual double wallClockSeconds() const = 0;
};

}  // namespace tactora::platform
