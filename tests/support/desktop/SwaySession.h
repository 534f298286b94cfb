#pragma once

#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "tests/support/desktop/DesktopSession.h"

namespace tactora::testing {

// A real sway (wlroots) compositor, headless, in a desktop session of the unprivileged user (sway
// refuses root), with Xwayland for X clients. The session's WAYLAND_DISPLAY, SWAYSOCK,
// XDG_SESSION_TYPE=wayland and XDG_CURRENT_DESKTOP=sway name it from then on.
class SwaySession {
 public:
  // Null, with a test failure naming the reason, when sway did not become ready. `configuration`
  // is added to sway's configuration (bars, rules).
  static std::unique_ptr<SwaySession> start(DesktopSession& session,
                                            const std::string& configuration = {});

  const std::string& socket() const { return socket_; }
  // The X display sway's Xwayland serves (as sway tells its own children); empty when none.
  std::string xDisplay();

  // swaymsg's answer to `-t type [payload]` as JSON; nothing when it failed.
  std::optional<nlohmann::json> message(const std::string& type,
                                        const std::string& payload = {}) const;
  // Runs a sway command; true when every part of it succeeded.
  bool command(const std::string& command) const;
  // Every node of the tree (outputs, workspaces, containers, windows), tiled and floating; none
  // when the tree cannot be read.
  std::vector<nlohmann::json> nodes() const;
  // The focused node of the tree (a window, or a workspace or container when no window has the
  // focus); nothing when the tree cannot be read.
  std::optional<nlohmann::json> focused() const;
  // The name of the focused workspace.
  std::string currentWorkspace() const;
  // How many windows (nodes with a pid) the tree holds.
  int windowCount() const;
  // Whether the tree holds a window whose app id (Wayland) or class (X11) is `name`.
  bool hasWindow(const std::string& name) const;
  // Starts a Wayland client (foot) with `appId` and waits until sway has mapped and focused it.
  bool openWaylandWindow(const std::string& name, const std::string& appId);
  // Starts an X client (xterm through Xwayland) with WM_CLASS `windowClass` and waits likewise.
  bool openX11Window(const std::string& name, const std::string& windowClass);

 private:
  explicit SwaySession(DesktopSession& session) : session_(session) {}
  bool awaitFocusedWindow(int windowsBefore, const std::string& name);

  DesktopSession& session_;
  ChildProcess* process_ = nullptr;
  std::string socket_;
  std::string waylandDisplay_;
  std::string xDisplay_;
};

}  // namespace tactora::testing
