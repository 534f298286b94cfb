#include "Platform/sim/SimBattery.h"

#include <utility>

namespace tactora::sim {

void SimBattery::start(std::function<void()> onChange) {
  reading_.observe(std::move(onChange));
}

void SimBattery::stop() {
  reading_.observe(nullptr);
}

std::optional<platform::BatteryLevel> SimBattery::level() {
  return reading_.level();
}

void SimBattery::refresh() {
  ++refreshes_;
}

void SimBattery::setLevel(std::optional<platform::BatteryLevel> level) {
  reading_.publish(std::move(level));
}

int SimBattery::refreshCount() const {
  return refreshes_;
}

}  // namespace tactora::sim
