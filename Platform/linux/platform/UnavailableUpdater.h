#pragma once

#include <optional>
#include <string>

#include "Platform/Updater.h"

namespace tactora::lx {

// No updater on Linux yet (the package manager updates the program): starting fails with a
// message saying so, checks do nothing and automatic checks stay off.
class UnavailableUpdater final : public platform::Updater {
 public:
  std::optional<std::string> start(platform::UpdaterHooks) override { return unavailable; }
  void checkForUpdates() override {}
  bool automaticallyChecksForUpdates() override { return false; }
  void setAutomaticallyChecksForUpdates(bool) override {}

  static constexpr const char* unavailable = "Updates are not available in this build";
};

}  // namespace tactora::lx
