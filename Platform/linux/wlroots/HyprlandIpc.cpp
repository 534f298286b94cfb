#include "Platform/linux/wlroots/HyprlandIpc.h"

#include <sys/stat.h>

#include <utility>

#include "Platform/linux/wlroots/IpcSocket.h"

namespace tactora::lx {

HyprlandIpc::HyprlandIpc(std::string socketPath, std::chrono::milliseconds timeout)
    : socketPath_(std::move(socketPath)), timeout_(timeout) {}

std::string HyprlandIpc::socketPath(const char* runtimeDirectory, const char* signature) {
  const std::string_view name = signature != nullptr ? signature : "";
  // The signature names a folder; anything that could climb out of it is not one.
  if (name.empty() || name == "." || name == ".." || name.find('/') != std::string_view::npos) {
    return {};
  }
  const std::string relative = "/hypr/" + std::string(name) + "/.socket.sock";
  std::string current;
  if (runtimeDirectory != nullptr && runtimeDirectory[0] == '/') {
    current = runtimeDirectory + relative;
    struct stat status {};
    if (::stat(current.c_str(), &status) == 0) {
      return current;
    }
  }
  const std::string legacy = "/tmp" + relative;
  struct stat status {};
  if (::stat(legacy.c_str(), &status) == 0 || current.empty()) {
    return legacy;
  }
  return current;
}

std::optional<nlohmann::json> HyprlandIpc::request(std::string_view command) const {
  IpcSocket socket(socketPath_, timeout_);
  if (!socket.send(command)) {
    return std::nullopt;
  }
  const auto reply = socket.receiveAll();
  if (!reply) {
    return std::nullopt;
  }
  auto json = nlohmann::json::parse(*reply, nullptr, false);
  if (json.is_discarded()) {
    return std::nullopt;
  }
  return json;
}

std::vector<WindowClass> HyprlandIpc::activeWindow() const {
  const auto reply = request("j/activewindow");
  return reply ? activeWindowClasses(*reply) : std::vector<WindowClass>{};
}

std::vector<WindowClass> HyprlandIpc::activeWindowClasses(const nlohmann::json& reply) {
  std::vector<WindowClass> classes;
  if (!reply.is_object()) {
    return classes;
  }
  for (const char* key : {"class", "initialClass"}) {
    const auto it = reply.find(key);
    if (it == reply.end() || !it->is_string() || it->get_ref<const std::string&>().empty()) {
      continue;
    }
    WindowClass candidate{{}, it->get<std::string>()};
    if (classes.empty() || classes.front() != candidate) {
      classes.push_back(std::move(candidate));
    }
  }
  return classes;
}

}  // namespace tactora::lx
