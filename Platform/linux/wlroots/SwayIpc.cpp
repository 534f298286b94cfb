#include "Platform/linux/wlroots/SwayIpc.h"

#include <cstring>
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

}  // namespace

SwayIpc::SwayIpc(std::string socketPath, std::chrono::milliseconds timeout)
    : socketPath_(std::move(socketPath)), timeout_(timeout) {}

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

std::optional<WindowClass> SwayIpc::focusedWindow(const nlohmann::json& tree) {
  // Depth first, with a stack of our own: the tree comes from outside and may be deep.
  std::vector<const nlohmann::json*> pending{&tree};
  while (!pending.empty()) {
    const nlohmann::json& node = *pending.back();
    pending.pop_back();
    if (!node.is_object()) {
      continue;
    }
    if (const auto focused = node.find("focused");
        focused != node.end() && focused->is_boolean() && focused->get<bool>()) {
      if (const auto* appId = stringField(node, "app_id"); appId != nullptr && !appId->empty()) {
        return WindowClass{{}, *appId};
      }
      const auto properties = node.find("window_properties");
      if (properties != node.end() && properties->is_object()) {
        const auto* windowClass = stringField(*properties, "class");
        const auto* instance = stringField(*properties, "instance");
        if (windowClass != nullptr && !windowClass->empty()) {
          return WindowClass{instance != nullptr ? *instance : std::string(), *windowClass};
        }
      }
      return std::nullopt;
    }
    for (const char* children : {"floating_nodes", "nodes"}) {
      if (const auto it = node.find(children); it != node.end() && it->is_array()) {
        for (const auto& child : *it) {
          pending.push_back(&child);
        }
      }
    }
  }
  return std::nullopt;
}

}  // namespace tactora::lx
