#pragma once

#include "Platform/LoginItems.h"
#include "Tactora/shell/LaunchAtLoginSwitch.h"

namespace tactora::shell {

// Launch at login through the platform's login-item service alone: on exactly when the main
// login item reports "enabled"; switching registers or unregisters it and logs a failure.
class LoginItemSwitch final : public LaunchAtLoginSwitch {
 public:
  explicit LoginItemSwitch(platform::LoginItems& loginItems) : loginItems_(loginItems) {}

  bool isOn() override;
  void set(bool on) override;

 private:
  platform::LoginItems& loginItems_;
};

}  // namespace tactora::shell
