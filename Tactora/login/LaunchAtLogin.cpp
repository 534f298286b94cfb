#include "Tactora/login/LaunchAtLogin.h"

#include <utility>

#include "Platform/Logger.h"
#include "Platform/Platform.h"

namespace tactora {

namespace {

constexpr platform::Logger logger{"LaunchAtLogin"};

std::string programPathOf(const platform::BundleInfo& bundle) {
  return bundle.executablePath.value_or(bundle.bundlePath);
}

}  // namespace

LaunchAtLogin::LaunchAtLogin(platform::LoginItems& loginItems, std::string programPath)
    : loginItems_(loginItems), programPath_(std::move(programPath)) {}

LaunchAtLogin::LaunchAtLogin(platform::Platform& platform)
    : LaunchAtLogin(platform.loginItems(), programPathOf(platform.workspace().mainBundle())) {}

bool LaunchAtLogin::launchAtLoginEnabled() {
  return loginItems_.mainAppStatus() == platform::LoginItemStatus::enabled;
}

void LaunchAtLogin::setLaunchAtLogin(bool enabled) {
  if (enabled == launchAtLoginEnabled()) {
    return;
  }
  const auto failure = enabled ? loginItems_.registerMainApp() : loginItems_.unregisterMainApp();
  if (!failure) {
    return;
  }
  logger.error("autostart entry failed (%{public}s), falling back to the systemd user unit",
               {*failure});
  if (!enabled) {
    loginItems_.removeAgent();
    return;
  }
  if (const auto fallbackFailure = loginItems_.installAgent(programPath_)) {
    logger.error("systemd user unit fallback failed: %{public}s", {*fallbackFailure});
  }
}

}  // namespace tactora
