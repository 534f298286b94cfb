#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "Platform/linux/wlroots/WindowClass.h"

namespace tactora::lx {

// Hyprland's request socket (".socket.sock" in the instance's folder): one request per
// connection, answered with the reply and the end of the stream; requests prefixed "j/" answer
// in JSON. Each request waits at most `timeout`.
class HyprlandIpc {
 public:
  static constexpr std::chrono::milliseconds defaultTimeout{250};

  explicit HyprlandIpc(std::string socketPath, std::chrono::milliseconds timeout = defaultTimeout);

  // The socket of the instance `signature` ($HYPRLAND_INSTANCE_SIGNATURE): in
  // `runtimeDirectory`/hypr (Hyprland 0.40 and later) when it exists there, else in /tmp/hypr
  // where older versions keep it. Empty for a missing signature or one that is not a plain name.
  static std::string socketPath(const char* runtimeDirectory, const char* signature);

  // The reply's JSON; nothing when the socket cannot be reached, does not answer in time, or
  // answers with something else.
  std::optional<nlohmann::json> request(std::string_view command) const;

  // The active window's classes, best first; none when no window is active or it cannot be told.
  std::vector<WindowClass> activeWindow() const;

  // The classes in an "activewindow" reply: its `class`, then the `initialClass` it opened with
  // when that differs (applications may change their class after mapping).
  static std::vector<WindowClass> activeWindowClasses(const nlohmann::json& reply);

  const std::string& socketPath() const { return socketPath_; }

 private:
  std::string socketPath_;
  std::chrono::milliseconds timeout_;
};

}  // namespace tactora::lx
