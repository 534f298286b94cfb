#include "Platform/linux/input/DeviceDiscovery.h"

#include "Platform/linux/input/EvdevDevice.h"

namespace tactora::lx {

std::vector<DiscoveredDevice> DeviceDiscovery::discover(const UdevContext& udev) {
  std::vector<DiscoveredDevice> found;
  for (const std::string& node : udev.eventNodes()) {
    DiscoveredDevice device;
    device.node = node;
    EvdevDevice::OpenResult opened = EvdevDevice::open(node);
    if (auto* error = std::get_if<SystemError>(&opened)) {
      device.openError = error->error;
      device.problem = error->what;
      found.push_back(std::move(device));
      continue;
    }
    const DeviceFacts& facts = std::get<EvdevDevice>(opened).facts();
    if (facts.role() == DeviceRole::notMultitouch) {
      continue;
    }
    device.facts = facts;
    found.push_back(std::move(device));
  }
  return found;
}

std::optional<DeviceFacts> DeviceDiscovery::describe(const std::string& node,
                                                     std::string* problem) {
  EvdevDevice::OpenResult opened = EvdevDevice::open(node);
  if (auto* error = std::get_if<SystemError>(&opened)) {
    if (problem != nullptr) {
      *problem = error->what;
    }
    return std::nullopt;
  }
  return std::get<EvdevDevice>(opened).facts();
}

}  // namespace tactora::lx
