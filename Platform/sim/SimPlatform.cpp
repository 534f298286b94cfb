#include "Platform/sim/SimPlatform.h"

#include <filesystem>

namespace tactora::sim {

SimPlatform::SimPlatform(double startUptimeSeconds)
    : timeline_(startUptimeSeconds),
      clock_(timeline_),
      dispatch_(timeline_),
      events_(timeline_),
      accessibility_(permissions_),
      loginItems_((std::filesystem::path(workspace_.applicationSupportDirectory()).parent_path() /
                   "LaunchAgents")
                      .string(),
                  workspace_) {}

std::shared_ptr<SimPlatform> SimPlatform::install(double startUptimeSeconds) {
  auto platform = std::make_shared<SimPlatform>(startUptimeSeconds);
  platform::Platform::install(platform);
  return platform;
}

}  // namespace tactora::sim
