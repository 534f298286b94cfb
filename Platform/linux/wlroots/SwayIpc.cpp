#include "Platform/linux/wlroots/SwayIpc.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

#include "Platform/linux/wlroots/IpcSocket.h"

namespace tactora::lx {

namespace {

constexpr std::string_view magic = "i3-ipc";
constexpr std::size_t headerBytes = magic.size() + 2 * sizeof(std::uint32_t);

const std::string* stringField(const nlohmann::json& node, const char* key) {
  const auto it = node.find(key);
  return it != node.end() && it->is_string() ? it->get_ptr<const std::string*>() : nullptr;
}

bool isTrue(const nlohmann::json& node, const char* key) {
  const auto it = node.find(key);
  return it != node.end() && it->is_boolean() && it->get<bool>();
}

// The node marked focused in a GET_TREE reply; null when there is none.
const nlohmann::json* focusedNode(const nlohmann::json& tree) {
  // Depth first, with a stack of our own: the tree comes from outside and may be deep.
  std::vector<const nlohmann::json*> pending{&tree};
  while (!pending.empty()) {
    const nlohmann::json& node = *pending.back();
    pending.pop_back();
    if (!node.is_object()) {
      continue;
    }
    if (isTrue(node, "focused")) {
      return &node;
    }
    for (const char* children : {"floating_nodes", "nodes"}) {
      if (const auto it = node.find(children); it != node.end() && it->is_array()) {
        for (const auto& child : *it) {
          pending.push_back(&child);
        }
      }
    }
  }
  return nullptr;
}

// Whether a tree node is a window (a view with a client behind it), not a container.
bool isWindow(const nlohmann::json& node) {
  // Only views carry the protocol their client speaks ("xdg_shell", "xwayland").
  const auto* shell = stringField(node, "shell");
  return shell != nullptr && !shell->empty();
}

}  // namespace

SwayIpc::SwayIpc(std::string socketPath, std::chrono::milliseconds timeout)
    : socketPath_(std::move(socketPath)), timeout_(timeout) {}

std::string SwayIpc::socketIn(const std::string& runtimeDirectory, uid_t uid,
                              std::chrono::milliseconds timeout) {
  if (runtimeDirectory.empty() || runtimeDirectory.front() != '/') {
    return {};
  }
  const std::string prefix = "sway-ipc." + std::to_string(uid) + ".";
  std::vector<std::pair<std::filesystem::file_time_type, std::string>> candidates;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(runtimeDirectory, error)) {
    const std::string name = entry.path().filename().string();
    struct stat status {};
    if (name.starts_with(prefix) && name.ends_with(".sock") &&
        ::lstat(entry.path().c_str(), &status) == 0 && S_ISSOCK(status.st_mode) &&
        status.st_uid == uid) {
      candidates.emplace_back(entry.last_write_time(error), entry.path().string());
    }
  }
  std::sort(candidates.begin(), candidates.end(), std::greater<>());
  for (const auto& [modified, path] : candidates) {
    if (IpcSocket(path, timeout).isConnected()) {
      return path;
    }
  }
  return {};
}

std::optional<nlohmann::json> SwayIpc::request(MessageType type, std::string_view payload) const {
  IpcSocket socket(socketPath_, timeout_);
  std::string message(magic);
  const auto length = static_cast<std::uint32_t>(payload.size());
  const auto code = static_cast<std::uint32_t>(type);
  message.append(reinterpret_cast<const char*>(&length), sizeof length);
  message.append(reinterpret_cast<const char*>(&code), sizeof code);
  message.append(payload);
  if (!socket.send(message)) {
    return std::nullopt;
  }
  const auto header = socket.receive(headerBytes);
  if (!header || !header->starts_with(magic)) {
    return std::nullopt;
  }
  std::uint32_t replyLength = 0;
  std::uint32_t replyType = 0;
  std::memcpy(&replyLength, header->data() + magic.size(), sizeof replyLength);
  std::memcpy(&replyType, header->data() + magic.size() + sizeof replyLength, sizeof replyType);
  if (replyType != code) {
    return std::nullopt;
  }
  const auto reply = socket.receive(replyLength);
  if (!reply) {
    return std::nullopt;
  }
  auto json = nlohmann::json::parse(*reply, nullptr, false);
  if (json.is_discarded()) {
    return std::nullopt;
  }
  return json;
}

std::optional<WindowClass> SwayIpc::focusedWindow() const {
  const auto tree = request(MessageType::getTree, {});
  return tree ? focusedWindow(*tree) : std::nullopt;
}

bool SwayIpc::runCommand(std::string_view command) const {
  const auto reply = request(MessageType::runCommand, command);
  if (!reply || !reply->is_array() || reply->empty()) {
    return false;
  }
  for (const auto& outcome : *reply) {
    const auto success = outcome.is_object() ? outcome.find("success") : outcome.end();
    if (success == outcome.end() || !success->is_boolean() || !success->get<bool>()) {
      return false;
    }
  }
  return true;
}

bool SwayIpc::closeFocusedWindow() const {
  const auto tree = request(MessageType::getTree, {});
  const nlohmann::json* focused = tree ? focusedNode(*tree) : nullptr;
  if (focused == nullptr || !isWindow(*focused)) {
    return false;
  }
  const auto id = focused->find("id");
  if (id == focused->end() || !id->is_number_integer()) {
    return false;
  }
  return runCommand("[con_id=" + std::to_string(id->get<std::int64_t>()) + "] kill");
}

bool SwayIpc::switchWorkspace(WorkspaceDirection direction) const {
  const auto workspaces = request(MessageType::getWorkspaces, {});
  if (!workspaces || !workspaces->is_array()) {
    return false;
  }
  // The reply lists each output's workspaces in the order prev_on_output/next_on_output step
  // through them.
  const auto focused = std::find_if(workspaces->begin(), workspaces->end(), [](const auto& w) {
    return w.is_object() && isTrue(w, "focused");
  });
  if (focused == workspaces->end()) {
    return false;
  }
  const auto* output = stringField(*focused, "output");
  const auto sameOutput = [output](const nlohmann::json& workspace) {
    const auto* other = workspace.is_object() ? stringField(workspace, "output") : nullptr;
    return output != nullptr && other != nullptr && *other == *output;
  };
  const bool toNext = direction == WorkspaceDirection::right;
  const bool atEnd = toNext ? std::none_of(std::next(focused), workspaces->end(), sameOutput)
                            : std::none_of(workspaces->begin(), focused, sameOutput);
  if (atEnd) {
    return false;
  }
  return runCommand(toNext ? "workspace next_on_output" : "workspace prev_on_output");
}

std::optional<WindowClass> SwayIpc::focusedWindow(const nlohmann::json& tree) {
  const nlohmann::json* node = focusedNode(tree);
  if (node == nullptr || !isWindow(*node)) {
    return std::nullopt;
  }
  if (const auto* appId = stringField(*node, "app_id"); appId != nullptr && !appId->empty()) {
    return WindowClass{{}, *appId};
  }
  const auto properties = node->find("window_properties");
  if (properties != node->end() && properties->is_object()) {
    const auto* windowClass = stringField(*properties, "class");
    const auto* instance = stringField(*properties, "instance");
    if (windowClass != nullptr && !windowClass->empty()) {
      return WindowClass{instance != nullptr ? *instance : std::string(), *windowClass};
    }
  }
  return std::nullopt;
}

}  // namespace tactora::lx
