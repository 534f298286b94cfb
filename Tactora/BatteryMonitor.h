#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "Platform/BatteryLevel.h"
#include "Platform/Platform.h"

namespace tactora {

// Follows the mouse's battery for the application: the level the tray's status line shows, and
// one desktop notification when it runs low. The warning fires when a discharging battery is at
// `lowPercentage` or below, and is armed again only once the battery was above
// `rearmPercentage`: a level hovering around 10 % says it once, and so does a restart during the
// same discharge, because the warning given is remembered in the preferences. Main thread only;
// the platform's reports are carried to the main queue.
class BatteryMonitor : public std::enable_shared_from_this<BatteryMonitor> {
  struct ConstructionKey {
    explicit ConstructionKey() = default;
  };

 public:
  using Notify = std::function<void(const std::string& title, const std::string& body)>;

  static constexpr int lowPercentage = 10;
  static constexpr int rearmPercentage = 20;
  // Set while this discharge's warning has been given.
  static constexpr const char* warnedKey = "MouseBatteryLowWarned";
  static constexpr const char* lowBatteryBody = "Charge it soon: it stops working when empty.";

  // The platform's reports hold the monitor weakly, so it lives in a `shared_ptr`.
  static std::shared_ptr<BatteryMonitor> create(platform::Platform& platform);
  BatteryMonitor(ConstructionKey, platform::Platform& platform);
  ~BatteryMonitor();
  BatteryMonitor(const BatteryMonitor&) = delete;
  BatteryMonitor& operator=(const BatteryMonitor&) = delete;

  // How the warning reaches the user (the shell's desktop notification); none: it is only logged.
  void setNotify(Notify notify) { notify_ = std::move(notify); }
  // Runs after every change of `level` (the shell redraws its status line).
  void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

  // Begins following the platform's battery, and takes the level it knows now.
  void start();
  void stop();
  // Asks the platform for a fresh reading (the menu is about to open); never waits for it.
  void refresh();

  // The level last taken; empty while none is known.
  const std::optional<platform::BatteryLevel>& level() const { return level_; }

  // What the status line adds for `level`: " · 78 %", " · 78 % · charging", or nothing.
  static std::string statusSuffix(const std::optional<platform::BatteryLevel>& level);
  // "Magic Mouse battery low: 9 %"
  static std::string lowBatteryTitle(int percentage);

 private:
  void update();

  platform::Platform& platform_;
  Notify notify_;
  std::function<void()> onChange_;
  std::optional<platform::BatteryLevel> level_;
  bool warned_;
  bool started_ = false;
};

}  // namespace tactora
