#pragma once

#include <mutex>
#include <optional>
#include <string>

#include "Platform/Updater.h"

namespace tactora::sim {

// An updater that never contacts anything: a test sets the start result and plays the
// framework's side through the installed hooks.
class SimUpdater : public platform::Updater {
 public:
  std::optional<std::string> start(platform::UpdaterHooks hooks) override;
  void checkForUpdates() override;
  bool automaticallyChecksForUpdates() override;
  void setAutomaticallyChecksForUpdates(bool on) override;

  void setStartError(std::optional<std::string> error);
  bool started() const;
  int userCheckCount() const;
  // Asks the hooks, as the framework does before a check.
  std::optional<std::string> askFeedURL();
  void finishLoadingAppcast(long itemCount);
  void abortWithError(const platform::UpdateError& error);

 private:
  platform::UpdaterHooks hooksCopy() const;

  mutable std::mutex mutex_;
  std::optional<std::string> startError_;
  bool started_ = false;
  platform::UpdaterHooks hooks_;
  int userChecks_ = 0;
  bool automaticChecks_ = true;
};

}  // namespace tactora::sim
