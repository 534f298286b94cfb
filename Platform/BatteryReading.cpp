#include "Platform/BatteryReading.h"

#include <utility>

namespace tactora::platform {

void BatteryReading::observe(std::function<void()> onChange) {
  std::lock_guard lock(mutex_);
  onChange_ = std::move(onChange);
}

std::optional<BatteryLevel> BatteryReading::level() const {
  std::lock_guard lock(mutex_);
  return level_;
}

void BatteryReading::publish(std::optional<BatteryLevel> level) {
  std::function<void()> onChange;
  {
    std::lock_guard lock(mutex_);
    if (level_ == level) {
      return;
    }
    level_ = std::move(level);
    onChange = onChange_;
  }
  if (onChange) {
    onChange();
  }
}

void BatteryReading::clear() {
  std::lock_guard lock(mutex_);
  onChange_ = nullptr;
  level_.reset();
}

}  // namespace tactora::platform
