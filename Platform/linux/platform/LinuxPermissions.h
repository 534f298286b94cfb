#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "Platform/Permissions.h"

namespace tactora::lx {

// The two grants as facts a Linux user can fix. Accessibility (posting events) is granted when
// the uinput node can be opened for writing. Input Monitoring is granted when the Magic Mouse's
// node can be opened for reading; with no mouse present, when any input event node can; denied
// when none can, and not known when there are no input nodes at all. There is no prompt: the
// udev rule grants both.
class LinuxPermissions final : public platform::Permissions {
 public:
  static constexpr const char* udevRule = "69-tactora.rules";

  explicit LinuxPermissions(std::string uinputPath);

  // Why Input Monitoring is denied: the node that could not be opened for reading and why
  // ("/dev/input/event7: Permission denied — the udev rule 69-tactora.rules grants it");
  // nothing when it is granted or not known.
  std::optional<std::string> inputMonitoringDenial();
  // Why Accessibility is denied: "/dev/uinput: Permission denied — the udev rule ... grants it";
  // nothing when it is granted.
  std::optional<std::string> accessibilityDenial();

  bool isProcessTrusted() override;
  bool isProcessTrustedWithOptions(bool prompt) override;
  std::int32_t hidCheckAccess(std::uint32_t requestType) override;
  bool hidRequestAccess(std::uint32_t requestType) override;

 private:
  std::string uinputPath_;
};

}  // namespace tactora::lx
