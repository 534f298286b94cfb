#pragma once

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "Platform/LoginItems.h"

namespace tactora::sim {

// A login-item service whose status and failures a test sets. A successful register makes the
// status `enabled`, a successful unregister `notRegistered`.
class SimLoginItems : public platform::LoginItems {
 public:
  explicit SimLoginItems(std::string agentDirectory);

  platform::LoginItemStatus mainAppStatus() override;
  std::optional<std::string> registerMainApp() override;
  std::optional<std::string> unregisterMainApp() override;
  std::string agentDirectory() override;

  void setStatus(platform::LoginItemStatus status);
  // A non-empty error makes the call fail with that description.
  void setRegisterError(std::optional<std::string> error);
  void setUnregisterError(std::optional<std::string> error);
  void setAgentDirectory(std::string path);

  // "register" and "unregister", in order.
  std::vector<std::string> calls() const;

 private:
  mutable std::mutex mutex_;
  platform::LoginItemStatus status_ = platform::LoginItemStatus::notRegistered;
  std::optional<std::string> registerError_;
  std::optional<std::string> unregisterError_;
  std::string agentDirectory_;
  std::vector<std::string> calls_;
};

}  // namespace tactora::sim
