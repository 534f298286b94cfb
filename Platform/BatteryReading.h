#pragma once

#include <functional>
#include <mutex>
#include <optional>

#include "Platform/BatteryLevel.h"

namespace tactora::platform {

// The latest battery reading and whom to tell when it changes; each backend's `Battery` keeps
// one. The reading is stored under a lock and the observer called outside it, so an observer may
// read `level()` back, or take locks of its own, without deadlocking.
class BatteryReading {
 public:
  // Who to tell from now on (empty: nobody).
  void observe(std::function<void()> onChange);
  std::optional<BatteryLevel> level() const;
  // Keeps `level` and tells the observer when it differs from the reading before.
  void publish(std::optional<BatteryLevel> level);
  // Forgets the observer and the reading.
  void clear();

 private:
  mutable std::mutex mutex_;
  std::function<void()> onChange_;
  std::optional<BatteryLevel> level_;
};

}  // namespace tactora::platform
