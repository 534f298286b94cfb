#pragma once

#include <cstdint>

namespace tactora::platform {

// The two privacy grants: Accessibility (posting events, reading other windows) and Input
// Monitoring (listening to input events).
class Permissions {
 public:
  virtual ~Permissions() = default;

  virtual bool isProcessTrusted() = 0;
  // With `prompt` the system shows its grant prompt when the process is not trusted yet.
  virtual bool isProcessTrustedWithOptions(bool prompt) = 0;

  // Request type 1 is "listen event" (Input Monitoring).
  static constexpr std::uint32_t listenEventRequest = 1;
  // What hidCheckAccess answers; any other value also reads as not asked yet.
  static constexpr std::int32_t accessGranted = 0;
  static constexpr std::int32_t accessDenied = 1;
  static constexpr std::int32_t accessUnknown = 2;
  // accessGranted, accessDenied or accessUnknown (not asked yet).
  virtual std::int32_t hidCheckAccess(std::uint32_t requestType) = 0;
  // Shows the system prompt when not asked yet; true when access is granted.
  virtual bool hidRequestAccess(std::uint32_t requestType) = 0;
};

}  // namespace tactora::platform
