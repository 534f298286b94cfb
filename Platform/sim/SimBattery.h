#pragma once

#include <functional>
#include <mutex>
#include <optional>

#include "Platform/Battery.h"

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
  mutable std::mutex mutex_;
  std::function<void()> onChange_;
  std::optional<platform::BatteryLevel> level_;
  int refreshes_ = 0;
};

}  // namespace tactora::sim
