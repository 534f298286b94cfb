#pragma once

#include <atomic>
#include <functional>
#include <optional>

#include "Platform/Battery.h"
#include "Platform/BatteryReading.h"

namespace tactora::sim {

// The mouse's battery as a test sets it: no reading until `setLevel`, and every change reported
// at once, on the thread that made it.
class SimBattery final : public platform::Battery {
 public:
  void start(std::function<void()> onChange) override;
  void stop() override;
  std::optional<platform::BatteryLevel> level() override;
  void refresh() override;

  // A new reading (empty: the mouse has no battery, or went away).
  void setLevel(std::optional<platform::BatteryLevel> level);
  int refreshCount() const;

 private:
  platform::BatteryReading reading_;
  std::atomic<int> refreshes_{0};
};

}  // namespace tactora::sim
