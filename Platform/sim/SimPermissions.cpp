#include "Platform/sim/SimPermissions.h"

namespace tactora::sim {

bool SimPermissions::isProcessTrusted() {
  std::lock_guard lock(mutex_);
  return trusted_;
}

bool SimPermissions::isProcessTrustedWithOptions(bool prompt) {
  std::lock_guard lock(mutex_);
  if (prompt && !trusted_) {
    ++accessibilityPrompts_;
  }
  return trusted_;
}

std::int32_t SimPermissions::hidCheckAccess(std::uint32_t) {
  std::lock_guard lock(mutex_);
  return hidAccess_;
}

bool SimPermissions::hidRequestAccess(std::uint32_t) {
  std::lock_guard lock(mutex_);
  ++inputMonitoringRequests_;
  return hidAccess_ == platform::Permissions::accessGranted;
}

void SimPermissions::setAccessibilityTrusted(bool trusted) {
  std::lock_guard lock(mutex_);
  trusted_ = trusted;
}

void SimPermissions::setInputMonitoringAccess(std::int32_t access) {
  std::lock_guard lock(mutex_);
  hidAccess_ = access;
}

int SimPermissions::accessibilityPromptCount() const {
  std::lock_guard lock(mutex_);
  return accessibilityPrompts_;
}

int SimPermissions::inputMonitoringRequestCount() const {
  std::lock_guard lock(mutex_);
  return inputMonitoringRequests_;
}

}  // namespace tactora::sim
