#include "Platform/sim/SimUpdater.h"

namespace tactora::sim {

std::optional<std::string> SimUpdater::start(platform::UpdaterHooks hooks) {
  std::lock_guard lock(mutex_);
  hooks_ = std::move(hooks);
  if (startError_) {
    return startError_;
  }
  started_ = true;
  return std::nullopt;
}

void SimUpdater::checkForUpdates() {
  std::lock_guard lock(mutex_);
  ++userChecks_;
}

bool SimUpdater::automaticallyChecksForUpdates() {
  std::lock_guard lock(mutex_);
  return automaticChecks_;
}

void SimUpdater::setAutomaticallyChecksForUpdates(bool on) {
  std::lock_guard lock(mutex_);
  automaticChecks_ = on;
}

void SimUpdater::setStartError(std::optional<std::string> error) {
  std::lock_guard lock(mutex_);
  startError_ = std::move(error);
}

bool SimUpdater::started() const {
  std::lock_guard lock(mutex_);
  return started_;
}

int SimUpdater::userCheckCount() const {
  std::lock_guard lock(mutex_);
  return userChecks_;
}

platform::UpdaterHooks SimUpdater::hooksCopy() const {
  std::lock_guard lock(mutex_);
  return hooks_;
}

// The hooks are called outside the lock: they belong to the application and may call back.
std::optional<std::string> SimUpdater::askFeedURL() {
  const auto hooks = hooksCopy();
  return hooks.feedURLString ? hooks.feedURLString() : std::nullopt;
}

void SimUpdater::finishLoadingAppcast(long itemCount) {
  const auto hooks = hooksCopy();
  if (hooks.didFinishLoadingAppcast) {
    hooks.didFinishLoadingAppcast(itemCount);
  }
}

void SimUpdater::abortWithError(const platform::UpdateError& error) {
  const auto hooks = hooksCopy();
  if (hooks.didAbortWithError) {
    hooks.didAbortWithError(error);
  }
}

}  // namespace tactora::sim
