#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

#include "Platform/BatteryLevel.h"
#include "Platform/linux/bus/BusConnection.h"

namespace tactora::lx {

// UPower's view of a mouse's battery, on the system bus: the level the desktop's own panel shows.
// Every call waits at most the reader's timeout, so a UPower that hangs costs that much and no
// more.
class UPowerReader {
 public:
  static constexpr const char* service = "org.freedesktop.UPower";
  static constexpr const char* deviceInterface = "org.freedesktop.UPower.Device";

  // What identifies the mouse among UPower's devices.
  struct Mouse {
    std::string powerSupplyName;  // the kernel's supply ("hid-a4:83:e7:00:11:22-battery"), if any
    std::string uniq;             // the input device's unique id (the Bluetooth address)
    std::string name;             // the input device's name ("Magic Mouse 2")
  };

  UPowerReader(const BusConnection& bus, std::chrono::microseconds timeout)
      : bus_(bus), timeout_(timeout) {}

  // The object path of UPower's device for `mouse`: a device battery (of kind mouse, or of kind
  // battery when this UPower cannot tell a Bluetooth device's kind) whose native path is the
  // mouse's supply, whose serial is its unique id, or whose model is its name, in that order of
  // preference. Empty when UPower is not there, does not answer in time or lists no such device;
  // `problem` then says which.
  std::optional<std::string> find(const Mouse& mouse, std::string* problem = nullptr) const;

  // The device's level; empty when it did not answer in time, is gone or has no battery present.
  std::optional<platform::BatteryLevel> read(const std::string& path) const;

  // What UPower's State property means.
  static platform::BatteryLevel::State state(std::uint32_t upowerState);

 private:
  const BusConnection& bus_;
  std::chrono::microseconds timeout_;
};

}  // namespace tactora::lx
