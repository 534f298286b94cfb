#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tactora::platform {

// One reading of the mouse's battery: how full it is, whether it charges, and where the reading
// came from (for `tactora doctor`).
struct BatteryLevel {
  enum class State : std::uint8_t { unknown, charging, discharging, full, notCharging };

  int percentage = 0;  // 0...100
  State state = State::unknown;
  std::string source;  // "UPower /org/freedesktop/UPower/devices/…", "kernel /sys/devices/…"

  bool operator==(const BatteryLevel&) const = default;
};

// "unknown", "charging", "discharging", "full", "not charging".
std::string_view toString(BatteryLevel::State state);

}  // namespace tactora::platform
