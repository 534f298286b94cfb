#pragma once

#include <atomic>
#include <chrono>
#include <functional>
#include <optional>
#include <thread>

#include "Platform/Battery.h"
#include "Platform/BatteryReading.h"
#include "Platform/linux/input/DeviceFacts.h"

namespace tactora::lx {

// The battery of the mouse the evdev provider uses (the first external device with a touch
// surface), followed on a thread of its own: from UPower on the system bus when it lists the
// mouse, following its property changes; otherwise from the kernel's power supply beside the
// mouse's input device, read at most once per `powerSupplyInterval`. A udev monitor notices the
// mouse coming and going; UPower starting, stopping and adding devices is noticed on the bus.
// Every bus call waits at most `busTimeout`, on that thread, so nobody else ever waits for UPower.
class LinuxBattery final : public platform::Battery {
 public:
  static constexpr const char* threadName = "BatteryWatcher";

  struct Options {
    std::chrono::milliseconds busTimeout{500};
    // Reading a HID supply's capacity may make the kernel ask the mouse over the air.
    std::chrono::milliseconds powerSupplyInterval{std::chrono::minutes(1)};
  };

  LinuxBattery() : LinuxBattery(Options{}) {}
  explicit LinuxBattery(Options options);
  ~LinuxBattery() override;
  LinuxBattery(const LinuxBattery&) = delete;
  LinuxBattery& operator=(const LinuxBattery&) = delete;

  void start(std::function<void()> onChange) override;
  void stop() override;
  std::optional<platform::BatteryLevel> level() override;
  void refresh() override;

  // One reading of `mouse`'s battery now, on the calling thread (the command line's report).
  static std::optional<platform::BatteryLevel> readOnce(const DeviceFacts& mouse,
                                                        std::chrono::milliseconds busTimeout);

 private:
  class Watch;

  void run();

  const Options options_;
  const int wakeUp_;  // eventfd: refresh and stop requests reach the thread through it
  std::atomic<bool> stopping_{false};
  std::atomic<bool> refreshRequested_{false};
  platform::BatteryReading reading_;
  std::thread thread_;
};

}  // namespace tactora::lx
