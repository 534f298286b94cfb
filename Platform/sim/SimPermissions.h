#pragma once

#include <cstdint>
#include <mutex>

#include "Platform/Permissions.h"

namespace tactora::sim {

// Both grants given by default; a test sets the answers and reads how often the prompts were
// asked for.
class SimPermissions : public platform::Permissions {
 public:
  bool isProcessTrusted() override;
  bool isProcessTrustedWithOptions(bool prompt) override;
  std::int32_t hidCheckAccess(std::uint32_t requestType) override;
  bool hidRequestAccess(std::uint32_t requestType) override;

  void setAccessibilityTrusted(bool trusted);
  // What hidCheckAccess answers: accessGranted, accessDenied, anything else unknown.
  void setInputMonitoringAccess(std::int32_t access);

  int accessibilityPromptCount() const;
  int inputMonitoringRequestCount() const;

 private:
  mutable std::mutex mutex_;
  bool trusted_ = true;
  std::int32_t hidAccess_ = platform::Permissions::accessGranted;
  int accessibilityPrompts_ = 0;
  int inputMonitoringRequests_ = 0;
};

}  // namespace tactora::sim
