#pragma once

#include <string>

#include "Platform/LoginItems.h"

namespace tactora {

namespace platform {
class Platform;
}

// Launching the application at login, switched from the status menu and the settings window.
// The login-item service's main item is the source of truth; when the service cannot be
// changed, the per-user agent file is written or removed instead.
class LaunchAtLogin {
 public:
  // `programPath`: what the agent starts, the running executable or else the installation.
  LaunchAtLogin(platform::LoginItems& loginItems, std::string programPath);
  // The platform's login items and its main bundle's executable (or bundle) path.
  explicit LaunchAtLogin(platform::Platform& platform);

  // On exactly when the main login item reports enabled; an agent file written by the fallback
  // does not count.
  bool launchAtLoginEnabled();
  // Registers or unregisters the main login item when its state differs from `enabled`; when
  // that fails, logs the failure and installs or removes the agent instead.
  void setLaunchAtLogin(bool enabled);

 private:
  platform::LoginItems& loginItems_;
  std::string programPath_;
};

}  // namespace tactora
