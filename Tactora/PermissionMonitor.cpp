#include "Tactora/PermissionMonitor.h"

#include "Platform/Dispatch.h"
#include "Platform/Permissions.h"
#include "Platform/RunLoop.h"
#include "Platform/Workspace.h"

namespace tactora {

std::shared_ptr<PermissionMonitor> PermissionMonitor::create(platform::Platform& platform) {
  auto monitor = std::make_shared<PermissionMonitor>(ConstructionKey{}, platform);
  monitor->refresh();
  std::weak_ptr<PermissionMonitor> weak = monitor;
  monitor->didBecomeActive_ = platform.workspace().subscribeDidBecomeActive([weak] {
    if (auto self = weak.lock()) {
      self->refreshFromNotification();
    }
  });
  return monitor;
}

PermissionMonitor::PermissionMonitor(ConstructionKey, platform::Platform& platform)
    : platform_(platform) {}

PermissionMonitor::~PermissionMonitor() {
  stopPolling();
}

void PermissionMonitor::refresh() {
  platform::Permissions& permissions = platform_.permissions();
  const Status accessibility = permissions.isProcessTrusted() ? Status::granted : Status::denied;
  const std::int32_t access = permissions.hidCheckAccess(platform::Permissions::listenEventRequest);
  Status inputMonitoring = Status::notDetermined;  // also for answers the system may add later
  if (access == platform::Permissions::accessGranted) {
    inputMonitoring = Status::granted;
  } else if (access == platform::Permissions::accessDenied) {
    inputMonitoring = Status::denied;
  }
  const bool changed = accessibility != accessibility_ || inputMonitoring != inputMonitoring_;
  accessibility_ = accessibility;
  inputMonitoring_ = inputMonitoring;
  if (changed && onChange_) {
    onChange_();
  }
}

void PermissionMonitor::startPolling(double intervalSeconds) {
  stopPolling();
  std::weak_ptr<PermissionMonitor> weak = weak_from_this();
  timer_ = platform_.dispatch().main().scheduleRepeating(intervalSeconds, [weak] {
    if (auto self = weak.lock()) {
      self->refresh();
    }
  });
}

void PermissionMonitor::stopPolling() {
  if (timer_) {
    timer_->invalidate();
    timer_.reset();
  }
}

std::string_view toString(PermissionMonitor::Status status) {
  switch (status) {
    case PermissionMonitor::Status::granted:
      return "granted";
    case PermissionMonitor::Status::denied:
      return "denied";
    case PermissionMonitor::Status::notDetermined:
      return "notDetermined";
  }
  return "notDetermined";
}

}  // namespace tactora
