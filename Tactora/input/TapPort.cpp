#include "Tactora/input/TapPort.h"

#include <utility>

namespace tactora {

TapPort::~TapPort() {
  std::shared_ptr<platform::RepeatingTimer> watchdog;
  {
    std::lock_guard lock(mutex_);
    watchdog = std::move(watchdog_);
  }
  if (watchdog) {
    watchdog->invalidate();
  }
}

void TapPort::setTap(std::shared_ptr<platform::EventTap> tap) {
  std::lock_guard lock(mutex_);
  tap_ = std::move(tap);
}

void TapPort::setWatchdog(std::shared_ptr<platform::RepeatingTimer> watchdog) {
  std::lock_guard lock(mutex_);
  watchdog_ = std::move(watchdog);
}

std::shared_ptr<platform::EventTap> TapPort::tap() const {
  std::lock_guard lock(mutex_);
  return tap_;
}

}  // namespace tactora
