#include "Platform/linux/battery/PowerSupplyReader.h"

#include <algorithm>
#include <charconv>
#include <fstream>
#include <memory>

#include "Platform/linux/input/UdevPointers.h"

namespace tactora::lx {

namespace {

// One line of a sysfs attribute, read afresh each time (libudev would keep the first value).
std::optional<std::string> attribute(const std::string& sysPath, const char* name) {
  std::ifstream file(sysPath + "/" + name);
  std::string line;
  if (!file || !std::getline(file, line)) {
    return std::nullopt;
  }
  while (!line.empty() && (line.back() == '\n' || line.back() == ' ')) {
    line.pop_back();
  }
  return line;
}

std::optional<int> integer(const std::optional<std::string>& text) {
  if (!text) {
    return std::nullopt;
  }
  int value = 0;
  const auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), value);
  if (error != std::errc() || end != text->data() + text->size()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace

std::optional<std::string> PowerSupplyReader::find(const UdevContext& udev,
                                                   const std::string& node) {
  const std::string prefix = "/dev/input/";
  if (udev.get() == nullptr || node.rfind(prefix, 0) != 0) {
    return std::nullopt;
  }
  const UdevDevicePtr event(udev_device_new_from_subsystem_sysname(
      udev.get(), "input", node.substr(prefix.size()).c_str()));
  // The event node's parent is the input device; the supply hangs off the device above that (the
  // HID device), beside the input device.
  udev_device* input = event ? udev_device_get_parent(event.get()) : nullptr;
  udev_device* owner = input != nullptr ? udev_device_get_parent(input) : nullptr;
  if (owner == nullptr) {
    return std::nullopt;
  }
  const UdevEnumeratePtr enumerate(udev_enumerate_new(udev.get()));
  if (!enumerate) {
    return std::nullopt;
  }
  udev_enumerate_add_match_subsystem(enumerate.get(), "power_supply");
  udev_enumerate_add_match_parent(enumerate.get(), owner);
  udev_enumerate_scan_devices(enumerate.get());
  udev_list_entry* entry = udev_enumerate_get_list_entry(enumerate.get());
  if (entry == nullptr) {
    return std::nullopt;
  }
  return std::string(udev_list_entry_get_name(entry));
}

std::optional<platform::BatteryLevel> PowerSupplyReader::read(const std::string& sysPath) {
  if (integer(attribute(sysPath, "present")) == 0) {
    return std::nullopt;
  }
  const std::optional<int> capacity = integer(attribute(sysPath, "capacity"));
  if (!capacity) {
    return std::nullopt;
  }
  platform::BatteryLevel level;
  level.percentage = std::clamp(*capacity, 0, 100);
  level.state = state(attribute(sysPath, "status").value_or(""));
  level.source = "kernel " + sysPath;
  return level;
}

platform::BatteryLevel::State PowerSupplyReader::state(const std::string& status) {
  using State = platform::BatteryLevel::State;
  if (status == "Charging") {
    return State::charging;
  }
  if (status == "Discharging") {
    return State::discharging;
  }
  if (status == "Full") {
    return State::full;
  }
  if (status == "Not charging") {
    return State::notCharging;
  }
  return State::unknown;
}

}  // namespace tactora::lx
