#include "Platform/linux/platform/LinuxPermissions.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

#include "Platform/UniqueFd.h"
#include "Platform/linux/input/DeviceDiscovery.h"
#include "Platform/linux/input/UdevContext.h"

namespace tactora::lx {

namespace {

// The errno of opening `path` with `flags`; 0 when it opens.
int openError(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC);
  const int error = errno;
  const platform::UniqueFd owned(fd);
  return fd >= 0 ? 0 : error;
}

std::string denial(const std::string& path, int error) {
  return path + ": " + std::strerror(error) + " — the udev rule " + LinuxPermissions::udevRule +
         " grants it";
}

struct InputAccess {
  std::int32_t access = platform::Permissions::accessUnknown;
  std::optional<std::string> denial;  // with accessDenied
};

// Any /dev/input/event* node: granted when one opens for reading, denied when none does.
InputAccess inputNodesAccess() {
  std::error_code error;
  InputAccess result;
  for (const auto& entry : std::filesystem::directory_iterator("/dev/input", error)) {
    if (entry.path().filename().string().starts_with("event")) {
      const int openFailure = openError(entry.path().string(), O_RDONLY);
      if (openFailure == 0) {
        return {platform::Permissions::accessGranted, std::nullopt};
      }
      if (!result.denial) {
        result = {platform::Permissions::accessDenied, denial(entry.path().string(), openFailure)};
      }
    }
  }
  return result;
}

// The mouse's node when it is known, else any input node.
InputAccess inputAccess() {
  const UdevContext udev;
  if (udev.valid()) {
    const std::vector<DiscoveredDevice> devices = DeviceDiscovery::discover(udev);
    for (const DiscoveredDevice& device : devices) {
      if (device.facts && device.role() == DeviceRole::magicMouse) {
        return {platform::Permissions::accessGranted, std::nullopt};
      }
    }
    for (const DiscoveredDevice& device : devices) {
      // A node that could not be opened may well be the mouse.
      if (!device.facts) {
        return {platform::Permissions::accessDenied, denial(device.node, device.openError)};
      }
    }
  }
  return inputNodesAccess();
}

}  // namespace

LinuxPermissions::LinuxPermissions(std::string uinputPath) : uinputPath_(std::move(uinputPath)) {}

std::optional<std::string> LinuxPermissions::inputMonitoringDenial() {
  return inputAccess().denial;
}

std::optional<std::string> LinuxPermissions::accessibilityDenial() {
  const int error = openError(uinputPath_, O_WRONLY);
  if (error == 0) {
    return std::nullopt;
  }
  return denial(uinputPath_, error);
}

bool LinuxPermissions::isProcessTrusted() {
  return openError(uinputPath_, O_WRONLY) == 0;
}

bool LinuxPermissions::isProcessTrustedWithOptions(bool) {
  return isProcessTrusted();
}

std::int32_t LinuxPermissions::hidCheckAccess(std::uint32_t requestType) {
  if (requestType != listenEventRequest) {
    return accessUnknown;
  }
  return inputAccess().access;
}

bool LinuxPermissions::hidRequestAccess(std::uint32_t requestType) {
  return hidCheckAccess(requestType) == accessGranted;
}

}  // namespace tactora::lx
