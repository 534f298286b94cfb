#pragma once

#include <optional>
#include <string>

#include "Platform/BatteryLevel.h"
#include "Platform/linux/input/UdevContext.h"

namespace tactora::lx {

// The kernel's view of a mouse's battery: the `power_supply` device beside the input device, under
// the same HID device (hid-magicmouse and hid-input register one for a mouse that reports its
// charge), and its `capacity` and `status` attributes.
class PowerSupplyReader {
 public:
  // The sysfs folder of the power supply of the device behind `node` (/dev/input/eventN), as
  // "/sys/devices/…/power_supply/hid-…-battery"; empty when it has none.
  static std::optional<std::string> find(const UdevContext& udev, const std::string& node);

  // Reads `capacity` and `status` of the supply at `sysPath`. Empty when the supply is gone, says
  // it is not present, or reports no capacity (a mouse whose charge is not known yet). Reading
  // the capacity may make the kernel ask the mouse over the air: callers keep their own pace.
  static std::optional<platform::BatteryLevel> read(const std::string& sysPath);

  // What the kernel's `status` text means.
  static platform::BatteryLevel::State state(const std::string& status);
};

}  // namespace tactora::lx
