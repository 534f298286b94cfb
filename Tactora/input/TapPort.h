#pragma once

#include <memory>
#include <mutex>

#include "Platform/EventTap.h"
#include "Platform/RepeatingTimer.h"

namespace tactora {

// The port of an event tap that runs on its own thread, with the tap's watchdog timer: stored once
// by the tap thread, read from any thread under its own small lock, which is never held while the
// tap or the timer is called. Dropping it stops the watchdog.
class TapPort {
 public:
  TapPort() = default;
  ~TapPort();
  TapPort(const TapPort&) = delete;
  TapPort& operator=(const TapPort&) = delete;

  void setTap(std::shared_ptr<platform::EventTap> tap);
  void setWatchdog(std::shared_ptr<platform::RepeatingTimer> watchdog);
  // The tap, or null before it was created (or when creation failed).
  std::shared_ptr<platform::EventTap> tap() const;

 private:
  mutable std::mutex mutex_;
  std::shared_ptr<platform::EventTap> tap_;
  std::shared_ptr<platform::RepeatingTimer> watchdog_;
};

}  // namespace tactora
