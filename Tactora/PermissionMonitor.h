#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string_view>

#include "Platform/Platform.h"
#include "Platform/RepeatingTimer.h"
#include "Platform/Subscription.h"

namespace tactora {

// Keeps the state of the two privacy grants the program needs (Accessibility and Input
// Monitoring) and reports changes. Refreshes when created, whenever the application becomes
// active, on every poll while the permissions window is open, and on demand. Main thread only.
class PermissionMonitor : public std::enable_shared_from_this<PermissionMonitor> {
  struct ConstructionKey {
    explicit ConstructionKey() = default;
  };

 public:
  enum class Status : std::uint8_t { granted = 0, denied = 1, notDetermined = 2 };

  // Polling and the did-become-active handler hold the monitor weakly, so it lives in a
  // `shared_ptr`. Runs the first refresh before returning.
  static std::shared_ptr<PermissionMonitor> create(platform::Platform& platform);
  PermissionMonitor(ConstructionKey, platform::Platform& platform);
  ~PermissionMonitor();
  PermissionMonitor(const PermissionMonitor&) = delete;
  PermissionMonitor& operator=(const PermissionMonitor&) = delete;

  Status accessibility() const { return accessibility_; }
  Status inputMonitoring() const { return inputMonitoring_; }

  // Called, synchronously, after a refresh that changed either status.
  void setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

  void refresh();
  void refreshFromNotification() { refresh(); }

  // Replaces any running poll with one every `intervalSeconds` on the main run loop.
  void startPolling(double intervalSeconds);
  // Ends the poll (the permissions window's close).
  void stopPolling();
  bool isPolling() const { return timer_ != nullptr; }

 private:
  platform::Platform& platform_;
  Status accessibility_ = Status::notDetermined;
  Status inputMonitoring_ = Status::notDetermined;
  std::function<void()> onChange_;
  std::shared_ptr<platform::RepeatingTimer> timer_;
  platform::Subscription didBecomeActive_;
};

// "granted", "denied", "notDetermined".
std::string_view toString(PermissionMonitor::Status status);

}  // namespace tactora
