#pragma once

#include <optional>
#include <string>
#include <vector>

#include "Platform/linux/input/DeviceFacts.h"
#include "Platform/linux/input/UdevContext.h"

namespace tactora::lx {

// The input devices with a touch surface, as udev lists them and their ioctls describe them.
struct DiscoveredDevice {
  std::string node;
  std::optional<DeviceFacts> facts;  // empty when the node could not be opened
  int openError = 0;                 // errno of the failed open
  std::string problem;               // "open /dev/input/event7: Permission denied"

  DeviceRole role() const { return facts ? facts->role() : DeviceRole::notMultitouch; }
};

class DeviceDiscovery {
 public:
  // Every event node, opened and described; nodes without multitouch axes are left out, nodes
  // that cannot be opened are kept with their problem.
  static std::vector<DiscoveredDevice> discover(const UdevContext& udev);
  static std::optional<DeviceFacts> describe(const std::string& node, std::string* problem);
};

}  // namespace tactora::lx
