#pragma once

#include <optional>
#include <string>
#include <utility>

#include "Platform/LoginItems.h"

namespace tactora::lx {

// Starting at login is not offered on Linux yet: the main item is never found, registering
// fails with a message saying so, and agent files go to the XDG autostart folder.
class UnavailableLoginItems final : public platform::LoginItems {
 public:
  explicit UnavailableLoginItems(std::string autostartDirectory)
      : autostartDirectory_(std::move(autostartDirectory)) {}

  platform::LoginItemStatus mainAppStatus() override { return platform::LoginItemStatus::notFound; }
  std::optional<std::string> registerMainApp() override { return unavailable; }
  std::optional<std::string> unregisterMainApp() override { return unavailable; }
  std::string agentDirectory() override { return autostartDirectory_; }
  std::optional<std::string> installAgent(const std::string&) override { return unavailable; }
  void removeAgent() override {}

  static constexpr const char* unavailable = "Starting at login is not available on Linux yet";

 private:
  std::string autostartDirectory_;
};

}  // namespace tactora::lx
