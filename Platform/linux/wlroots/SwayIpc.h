#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "Platform/linux/desktop/DesktopFunctions.h"
#include "Platform/linux/wlroots/WindowClass.h"

namespace tactora::lx {

// sway's IPC socket ($SWAYSOCK), which speaks i3's protocol: "i3-ipc", the payload's length and
// the message type as 32-bit integers in the machine's byte order, then the payload; the reply
// is framed the same way with the same type and a JSON payload. Each request opens its own
// connection and waits at most `timeout`.
class SwayIpc {
 public:
  enum class MessageType : std::uint32_t { runCommand = 0, getWorkspaces = 1, getTree = 4 };
  static constexpr std::chrono::milliseconds defaultTimeout{250};

  explicit SwayIpc(std::string socketPath, std::chrono::milliseconds timeout = defaultTimeout);

  // The socket of the user `uid`'s running sway in `runtimeDirectory`, for a process that was
  // not started by sway and so has no $SWAYSOCK: sway names it "sway-ipc.UID.PID.sock". Only a
  // socket the user owns counts, and of several (one left behind by a sway that crashed) the
  // newest that accepts a connection. Empty when there is none.
  static std::string socketIn(const std::string& runtimeDirectory, uid_t uid,
                              std::chrono::milliseconds timeout = defaultTimeout);

  // The reply's JSON; nothing when the socket cannot be reached, does not answer in time, or
  // answers with anything but a well-framed JSON reply of the same type.
  std::optional<nlohmann::json> request(MessageType type, std::string_view payload) const;

  // The focused window's application names; nothing when a workspace or output has the focus.
  std::optional<WindowClass> focusedWindow() const;
  // Runs a sway command ("workspace next_on_output"); true when every part of it succeeded.
  bool runCommand(std::string_view command) const;
  // Closes the focused window, and only it. A bare `kill` closes whatever has the focus, so with
  // a split container focused ("focus parent") it would close every window in it; the window is
  // named by its container id instead. False, with nothing closed, when the focus is on a
  // workspace or a container rather than a window.
  bool closeFocusedWindow() const;
  // Moves to the neighbouring workspace of the focused output; false at the first or the last
  // one, where sway's own prev_on_output/next_on_output would wrap round.
  bool switchWorkspace(WorkspaceDirection direction) const;

  // The focused window in a GET_TREE reply: the node marked focused, searched through the tiled
  // and the floating nodes at every level; nothing when a workspace or container has the focus.
  static std::optional<WindowClass> focusedWindow(const nlohmann::json& tree);

  const std::string& socketPath() const { return socketPath_; }

 private:
  std::string socketPath_;
  std::chrono::milliseconds timeout_;
};

}  // namespace tactora::lx
