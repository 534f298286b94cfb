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

  // The fallback when the service fails: writes the per-user agent that starts `executablePath`
  // at login into `agentDirectory()` and asks the system to enable it (without waiting for that).
  // Empty on success, else the error's description naming the file.
  virtual std::optional<std::string> installAgent(const std::string& executablePath) = 0;
  // Asks the system to disable the agent and deletes its file. Errors (no such file) are ignored:
  // there is nothing a caller could do about them.
  virtual void removeAgent() = 0;
};

}  // namespace tactora::platform
