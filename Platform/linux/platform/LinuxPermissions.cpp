#include "Platform/linux/platform/LinuxPermissions.h"

#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <system_error>
#include <utility>

#include "Platform/linux/input/DeviceDiscovery.h"
#include "Platform/linux/input/UdevContext.h"
#include "Platform/linux/input/UniqueFd.h"

namespace tactora::lx {

namespace {

bool opens(const std::string& path, int flags) {
  return UniqueFd(::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC)).get() >= 0;
}

// Any /dev/input/event* node: granted when one opens for reading, denied when none does.
std::int32_t inputNodesAccess() {
  std::error_code error;
  bool anyNode = false;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/input", error)) {
    if (entry.path().filename().string().starts_with("event")) {
      anyNode = true;
      if (opens(entry.path().string(), O_RDONLY)) {
        return platform::Permissions::accessGranted;
      }
    }
  }
  return anyNode ? platform::Permissions::accessDenied : platform::Permissions::accessUnknown;
}

}  // namespace

LinuxPermissions::LinuxPermissions(std::string uinputPath) : uinputPath_(std::move(uinputPath)) {}

bool LinuxPermissions::isProcessTrusted() {
  return opens(uinputPath_, O_WRONLY);
}

bool LinuxPermissions::isProcessTrustedWithOptions(bool) {
  return isProcessTrusted();
}

std::int32_t LinuxPermissions::hidCheckAccess(std::uint32_t requestType) {
  if (requestType != listenEventRequest) {
    return accessUnknown;
  }
  const UdevContext udev;
  if (udev.valid()) {
    for (const DiscoveredDevice& device : DeviceDiscovery::discover(udev)) {
      if (device.facts && device.role() == DeviceRole::magicMouse) {
        return accessGranted;
      }
    }
    for (const DiscoveredDevice& device : DeviceDiscovery::discover(udev)) {
      // A node that could not be opened may well be the mouse.
      if (!device.facts) {
        return accessDenied;
      }
    }
  }
  return inputNodesAccess();
}

bool LinuxPermissions::hidRequestAccess(std::uint32_t requestType) {
  return hidCheckAccess(requestType) == accessGranted;
}

}  // namespace tactora::lx
