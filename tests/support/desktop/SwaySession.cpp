#include "tests/support/desktop/SwaySession.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

namespace tactora::testing {

namespace {

using namespace std::chrono_literals;

// Every node of the tree, tiled and floating, at any depth, parents first.
void collect(const nlohmann::json& node, std::vector<nlohmann::json>& nodes) {
  nodes.push_back(node);
  for (const char* children : {"nodes", "floating_nodes"}) {
    if (const auto it = node.find(children); it != node.end() && it->is_array()) {
      for (const auto& child : *it) {
        collect(child, nodes);
      }
    }
  }
}

// Whether a node is a window (it has a process).
bool isWindow(const nlohmann::json& node) {
  return node.contains("pid") && node["pid"].is_number();
}

}  // namespace

std::unique_ptr<SwaySession> SwaySession::start(DesktopSession& session,
                                                const std::string& configuration) {
  const auto config = session.write(
      "sway.conf", "output HEADLESS-1 resolution 1280x800\nxwayland enable\n" + configuration);
  session.set("XDG_SESSION_TYPE", "wayland");
  session.set("XDG_CURRENT_DESKTOP", "sway");
  ChildProcess* sway = session.start("sway", {"sway", "-c", config.string()},
                                     {"WLR_BACKENDS=headless", "WLR_RENDERER=pixman",
                                      "WLR_LIBINPUT_NO_DEVICES=1", "WLR_HEADLESS_OUTPUTS=1"});
  if (sway == nullptr) {
    return nullptr;
  }
  std::unique_ptr<SwaySession> compositor(new SwaySession(session));
  compositor->process_ = sway;
  const auto runtime = session.runtimeDirectory();
  const bool ready = eventually(
      [&] {
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(runtime, ignored)) {
          const std::string name = entry.path().filename().string();
          if (name.starts_with("sway-ipc.") && name.ends_with(".sock")) {
            compositor->socket_ = entry.path().string();
          } else if (name.starts_with("wayland-") && !name.ends_with(".lock")) {
            compositor->waylandDisplay_ = name;
          }
        }
        return (!compositor->socket_.empty() && !compositor->waylandDisplay_.empty()) ||
               !sway->isRunning();
      },
      30s);
  if (!ready || !sway->isRunning()) {
    ADD_FAILURE() << "sway did not start within 30 s: " << session.log("sway");
    return nullptr;
  }
  session.set("SWAYSOCK", compositor->socket_);
  session.set("WAYLAND_DISPLAY", compositor->waylandDisplay_);
  if (!eventually([&] { return compositor->message("get_version").has_value(); }, 30s)) {
    ADD_FAILURE() << "sway did not answer on " << compositor->socket_ << ": "
                  << session.log("sway");
    return nullptr;
  }
  return compositor;
}

std::optional<nlohmann::json> SwaySession::message(const std::string& type,
                                                   const std::string& payload) const {
  std::vector<std::string> arguments{"swaymsg", "-r", "-t", type};
  if (!payload.empty()) {
    arguments.push_back(payload);
  }
  const ProcessResult result = session_.run(arguments, {}, 10s);
  if (result.status != 0) {
    return std::nullopt;
  }
  auto json = nlohmann::json::parse(result.output, nullptr, false);
  return json.is_discarded() ? std::nullopt : std::optional<nlohmann::json>(std::move(json));
}

bool SwaySession::command(const std::string& command) const {
  const auto reply = message("command", command);
  return reply && reply->is_array() && !reply->empty() &&
         std::ranges::all_of(*reply,
                             [](const auto& outcome) { return outcome.value("success", false); });
}

std::vector<nlohmann::json> SwaySession::nodes() const {
  std::vector<nlohmann::json> nodes;
  if (const auto tree = message("get_tree")) {
    collect(*tree, nodes);
  }
  return nodes;
}

std::optional<nlohmann::json> SwaySession::focused() const {
  std::optional<nlohmann::json> found;
  for (const auto& node : nodes()) {
    if (node.value("focused", false)) {
      found = node;
    }
  }
  return found;
}

std::string SwaySession::currentWorkspace() const {
  const auto workspaces = message("get_workspaces");
  if (workspaces && workspaces->is_array()) {
    for (const auto& workspace : *workspaces) {
      if (workspace.value("focused", false)) {
        return workspace.value("name", "");
      }
    }
  }
  return {};
}

int SwaySession::windowCount() const {
  return static_cast<int>(std::ranges::count_if(nodes(), isWindow));
}

bool SwaySession::hasWindow(const std::string& name) const {
  return std::ranges::any_of(nodes(), [&](const nlohmann::json& node) {
    const auto properties = node.value("window_properties", nlohmann::json::object());
    return node.contains("pid") && (node.value("app_id", nlohmann::json()) == name ||
                                    properties.value("class", "") == name);
  });
}

bool SwaySession::awaitFocusedWindow(int windowsBefore, const std::string& name) {
  const bool mapped = eventually(
      [&] {
        const auto node = focused();
        return windowCount() > windowsBefore && node && node->contains("pid");
      },
      30s);
  if (!mapped) {
    ADD_FAILURE() << name << " did not appear in sway within 30 s: " << session_.log(name);
  }
  return mapped;
}

bool SwaySession::openWaylandWindow(const std::string& name, const std::string& appId) {
  const int before = windowCount();
  return session_.start(name, {"foot", "--app-id=" + appId, "sleep", "100000"}) != nullptr &&
         awaitFocusedWindow(before, name);
}

std::string SwaySession::xDisplay() {
  if (xDisplay_.empty()) {
    // sway sets DISPLAY in its own environment, where /proc cannot show it; a command it runs
    // writes it out.
    const auto file = session_.runtimeDirectory() / "sway-display";
    if (command("exec printenv DISPLAY > '" + file.string() + "'")) {
      xDisplay_ = awaitFirstLine(file, *process_, 10s);
    }
  }
  return xDisplay_;
}

bool SwaySession::openX11Window(const std::string& name, const std::string& windowClass) {
  const int before = windowCount();
  const std::string display = xDisplay();
  if (display.empty()) {
    ADD_FAILURE() << "sway runs no Xwayland: " << session_.log("sway");
    return false;
  }
  return session_.start(name,
                        {"xterm", "-class", windowClass, "-title", name, "-e", "sleep", "100000"},
                        {"DISPLAY=" + display}) != nullptr &&
         awaitFocusedWindow(before, name);
}

}  // namespace tactora::testing
