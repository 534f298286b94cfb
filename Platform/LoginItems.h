#pragma once

#include <optional>
#include <string>

namespace tactora::platform {

enum class LoginItemStatus { notRegistered, enabled, requiresApproval, notFound };

// The system's login-item service for the application's main login item, and the per-user folder
// of agent files used when the service fails.
class LoginItems {
 public:
  virtual ~LoginItems() = default;

  virtual LoginItemStatus mainAppStatus() = 0;
  // Empty on success, else the error's description.
  virtual std::optional<std::string> registerMainApp() = 0;
  virtual std::optional<std::string> unregisterMainApp() = 0;
  // The folder that holds per-user agent files ("~/Library/LaunchAgents" or its equivalent).
  virtual std::string agentDirectory() = 0;
};

}  // namespace tactora::platform
