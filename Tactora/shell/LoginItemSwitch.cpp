#include "Tactora/shell/LoginItemSwitch.h"

#include "Platform/Logger.h"

namespace tactora::shell {

namespace {
constexpr platform::Logger logger{"LaunchAtLogin"};
}

bool LoginItemSwitch::isOn() {
  return loginItems_.mainAppStatus() == platform::LoginItemStatus::enabled;
}

void LoginItemSwitch::set(bool on) {
  if (on == isOn()) {
    return;
  }
  const auto failure = on ? loginItems_.registerMainApp() : loginItems_.unregisterMainApp();
  if (failure) {
    logger.error("cannot switch launching at login %{public}s: %{public}s",
                 {on ? "on" : "off", *failure});
  }
}

}  // namespace tactora::shell
