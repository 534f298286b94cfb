#include "Platform/sim/SimLoginItems.h"

#include <filesystem>

#include "Platform/AtomicFile.h"
#include "Platform/sim/SimWorkspace.h"

namespace tactora::sim {

namespace {

// Text as XML character data: a path may hold any of the markup characters.
std::string xmlEscaped(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      default:
        escaped += c;
    }
  }
  return escaped;
}

}  // namespace

SimLoginItems::SimLoginItems(std::string agentDirectory, SimWorkspace& workspace)
    : workspace_(workspace), agentDirectory_(std::move(agentDirectory)) {}

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

std::string SimLoginItems::agentFilePath() const {
  std::lock_guard lock(mutex_);
  return (std::filesystem::path(agentDirectory_) / (std::string(agentLabel) + ".plist")).string();
}

std::string SimLoginItems::agentPropertyList(const std::string& executablePath) {
  // Keys in the order a property-list writer sorts them.
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
         "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
         "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
         "<plist version=\"1.0\">\n"
         "<dict>\n"
         "\t<key>Label</key>\n"
         "\t<string>" +
         std::string(agentLabel) +
         "</string>\n"
         "\t<key>ProcessType</key>\n"
         "\t<string>Interactive</string>\n"
         "\t<key>ProgramArguments</key>\n"
         "\t<array>\n"
         "\t\t<string>" +
         xmlEscaped(executablePath) +
         "</string>\n"
         "\t</array>\n"
         "\t<key>RunAtLoad</key>\n"
         "\t<true/>\n"
         "</dict>\n"
         "</plist>\n";
}

std::optional<std::string> SimLoginItems::installAgent(const std::string& executablePath) {
  const std::string path = agentFilePath();
  if (auto error = platform::AtomicFile::write(path, agentPropertyList(executablePath))) {
    return error;
  }
  // launchctl's own outcome is never awaited.
  workspace_.launchProcess(launchctl, {"load", "-w", path});
  return std::nullopt;
}

void SimLoginItems::removeAgent() {
  const std::string path = agentFilePath();
  workspace_.launchProcess(launchctl, {"unload", "-w", path});
  std::error_code ignored;
  std::filesystem::remove(path, ignored);
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
