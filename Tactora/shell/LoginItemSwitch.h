#pragma once

#include "Tactora/login/LaunchAtLogin.h"
#include "Tactora/shell/LaunchAtLoginSwitch.h"

namespace tactora::shell {

// Launch at login as the application switches it: the login-item service's main item (the XDG
// autostart entry on Linux), with the agent (a systemd user unit) when the service fails.
class LoginItemSwitch final : public LaunchAtLoginSwitch {
 public:
  explicit LoginItemSwitch(platform::Platform& platform) : launchAtLogin_(platform) {}

  bool isOn() override { return launchAtLogin_.launchAtLoginEnabled(); }
  void set(bool on) override { launchAtLogin_.setLaunchAtLogin(on); }

 private:
  LaunchAtLogin launchAtLogin_;
};

}  // namespace tactora::shell
