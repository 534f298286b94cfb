#include "Platform/linux/input/UdevContext.h"

#include <algorithm>
#include <cstring>

#include "Platform/linux/input/UdevPointers.h"

namespace tactora::lx {

namespace {

bool isEventNode(const char* node) {
  return node != nullptr && std::strncmp(node, "/dev/input/event", 16) == 0;
}

// event10 after event9: by number, not by text.
bool nodeOrder(const std::string& a, const std::string& b) {
  return a.size() != b.size() ? a.size() < b.size() : a < b;
}

}  // namespace

void UdevContext::Free::operator()(udev* context) const {
  udev_unref(context);
}

void UdevContext::Monitor::Free::operator()(udev_monitor* monitor) const {
  udev_monitor_unref(monitor);
}

UdevContext::UdevContext() : udev_(udev_new()) {}

std::vector<std::string> UdevContext::eventNodes() const {
  std::vector<std::string> nodes;
  if (!udev_) {
    return nodes;
  }
  UdevEnumeratePtr enumerate(udev_enumerate_new(udev_.get()));
  if (!enumerate) {
    return nodes;
  }
  udev_enumerate_add_match_subsystem(enumerate.get(), "input");
  udev_enumerate_scan_devices(enumerate.get());
  udev_list_entry* entry = nullptr;
  udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
    UdevDevicePtr device(
        udev_device_new_from_syspath(udev_.get(), udev_list_entry_get_name(entry)));
    const char* node = device ? udev_device_get_devnode(device.get()) : nullptr;
    if (isEventNode(node)) {
      nodes.emplace_back(node);
    }
  }
  std::sort(nodes.begin(), nodes.end(), nodeOrder);
  return nodes;
}

std::unique_ptr<UdevContext::Monitor> UdevContext::monitor() const {
  if (!udev_) {
    return nullptr;
  }
  auto monitor = std::make_unique<Monitor>();
  monitor->monitor_.reset(udev_monitor_new_from_netlink(udev_.get(), "udev"));
  if (!monitor->monitor_ ||
      udev_monitor_filter_add_match_subsystem_devtype(monitor->monitor_.get(), "input", nullptr) <
          0 ||
      udev_monitor_enable_receiving(monitor->monitor_.get()) < 0) {
    return nullptr;
  }
  return monitor;
}

int UdevContext::Monitor::fd() const {
  return udev_monitor_get_fd(monitor_.get());
}

std::vector<UdevContext::Change> UdevContext::Monitor::receive() const {
  std::vector<Change> changes;
  for (;;) {
    UdevDevicePtr device(udev_monitor_receive_device(monitor_.get()));
    if (!device) {
      return changes;
    }
    const char* node = udev_device_get_devnode(device.get());
    const char* action = udev_device_get_action(device.get());
    if (!isEventNode(node) || action == nullptr) {
      continue;
    }
    if (std::strcmp(action, "add") == 0) {
      changes.push_back({true, node});
    } else if (std::strcmp(action, "remove") == 0) {
      changes.push_back({false, node});
    }
  }
}

}  // namespace tactora::lx
