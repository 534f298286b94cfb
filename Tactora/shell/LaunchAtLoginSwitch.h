#pragma once

namespace tactora::shell {

// Starting the application at login, as the tray menu and the settings read and switch it.
class LaunchAtLoginSwitch {
 public:
  virtual ~LaunchAtLoginSwitch() = default;
  // Read anew on every call: the user may change it elsewhere between two menu openings.
  virtual bool isOn() = 0;
  virtual void set(bool on) = 0;
};

}  // namespace tactora::shell
