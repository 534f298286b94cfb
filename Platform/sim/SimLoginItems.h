#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Platform/LoginItems.h"

namespace tactora::sim {

class SimWorkspace;

// A login-item service whose status and failures a test sets. A successful register makes the
// status `enabled`, a successful unregister `notRegistered`. The agent fallback is a real
// LaunchAgent property list in the agent folder; its "/bin/launchctl" runs are recorded as
// launches of the workspace, beside every other process the application starts.
class SimLoginItems : public platform::LoginItems {
 public:
  static constexpr const char* agentLabel = "com.vellumworks.Tactora";
  static constexpr const char* launchctl = "/bin/launchctl";

  SimLoginItems(std::string agentDirectory, SimWorkspace& workspace);

  platform::LoginItemStatus mainAppStatus() override;
  std::optional<std::string> registerMainApp() override;
  std::optional<std::string> unregisterMainApp() override;
  std::string agentDirectory() override;
  std::optional<std::string> installAgent(const std::string& executablePath) override;
  void removeAgent() override;

  void setStatus(platform::LoginItemStatus status);
  // A non-empty error makes the call fail with that description.
  void setRegisterError(std::optional<std::string> error);
  void setUnregisterError(std::optional<std::string> error);
  void setAgentDirectory(std::string path);

  // "<agent folder>/com.vellumworks.Tactora.plist".
  std::string agentFilePath() const;
  // "register" and "unregister", in order.
  std::vector<std::string> calls() const;

  // The agent's XML property list: Label, ProcessType, ProgramArguments and RunAtLoad.
  static std::string agentPropertyList(const std::string& executablePath);

 private:
  SimWorkspace& workspace_;
  mutable std::mutex mutex_;
  platform::LoginItemStatus status_ = platform::LoginItemStatus::notRegistered;
  std::optional<std::string> registerError_;
  std::optional<std::string> unregisterError_;
  std::string agentDirectory_;
  std::vector<std::string> calls_;
};

}  // namespace tactora::sim
