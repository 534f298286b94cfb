#include "Platform/BatteryLevel.h"

namespace tactora::platform {

std::string_view toString(BatteryLevel::State state) {
  switch (state) {
    case BatteryLevel::State::unknown:
      return "unknown";
    case BatteryLevel::State::charging:
      return "charging";
    case BatteryLevel::State::discharging:
      return "discharging";
    case BatteryLevel::State::full:
      return "full";
    case BatteryLevel::State::notCharging:
      return "not charging";
  }
  return "unknown";
}

}  // namespace tactora::platform
