#include "Platform/sim/SimBattery.h"

#include <utility>

namespace tactora::sim {

void SimBattery::start(std::function<void()> onChange) {
  std::lock_guard lock(mutex_);
  onChange_ = std::move(onChange);
}

void SimBattery::stop() {
  std::lock_guard lock(mutex_);
  onChange_ = nullptr;
}

std::optional<platform::BatteryLevel> SimBattery::level() {
  std::lock_guard lock(mutex_);
  return level_;
}

void SimBattery::refresh() {
  std::lock_guard lock(mutex_);
  ++refreshes_;
}

void SimBattery::setLevel(std::optional<platform::BatteryLevel> level) {
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

int SimBattery::refreshCount() const {
  std::lock_guard lock(mutex_);
  return refreshes_;
}

}  // namespace tactora::sim
