#include "Platform/sim/SimLoginItems.h"

namespace tactora::sim {

SimLoginItems::SimLoginItems(std::string agentDirectory)
    : agentDirectory_(std::move(agentDirectory)) {}

platform::LoginItemStatus SimLoginItems::mainAppStatus() {
  std::lock_guard lock(mutex_);
  return status_;
}

std::optional<std::string> SimLoginItems::registerMainApp() {
  std::lock_guard lock(mutex_);
  calls_.emplace_back("register");
  if (registerError_) {
    return registerError_;
  }
  status_ = platform::LoginItemStatus::enabled;
  return std::nullopt;
}

std::optional<std::string> SimLoginItems::unregisterMainApp() {
  std::lock_guard lock(mutex_);
  calls_.emplace_back("unregister");
  if (unregisterError_) {
    return unregisterError_;
  }
  status_ = platform::LoginItemStatus::notRegistered;
  return std::nullopt;
}

std::string SimLoginItems::agentDirectory() {
  std::lock_guard lock(mutex_);
  return agentDirectory_;
}

void SimLoginItems::setStatus(platform::LoginItemStatus status) {
  std::lock_guard lock(mutex_);
  status_ = status;
}

void SimLoginItems::setRegisterError(std::optional<std::string> error) {
  std::lock_guard lock(mutex_);
  registerError_ = std::move(error);
}

void SimLoginItems::setUnregisterError(std::optional<std::string> error) {
  std::lock_guard lock(mutex_);
  unregisterError_ = std::move(error);
}

void SimLoginItems::setAgentDirectory(std::string path) {
  std::lock_guard lock(mutex_);
  agentDirectory_ = std::move(path);
}

std::vector<std::string> SimLoginItems::calls() const {
  std::lock_guard lock(mutex_);
  return calls_;
}

}  // namespace tactora::sim
