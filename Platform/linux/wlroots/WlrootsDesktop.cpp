#include "Platform/linux/wlroots/WlrootsDesktop.h"

#include <unistd.h>

#include <cstdlib>
#include <utility>

#include "Platform/linux/wlroots/HyprlandIpc.h"
#include "Platform/linux/wlroots/IpcSocket.h"
#include "Platform/linux/wlroots/SwayIpc.h"

namespace tactora::lx {

namespace {

bool answers(const std::string& path, std::chrono::milliseconds timeout) {
  return !path.empty() && IpcSocket(path, timeout).isConnected();
}

}  // namespace

WlrootsDesktop::Sockets WlrootsDesktop::socketsFromEnvironment() {
  const char* sway = std::getenv("SWAYSOCK");
  const char* runtimeDirectory = std::getenv("XDG_RUNTIME_DIR");
  return {sway != nullptr && *sway != '\0'
              ? std::string(sway)
              : SwayIpc::socketIn(runtimeDirectory != nullptr ? runtimeDirectory : "", ::getuid()),
          HyprlandIpc::socketPath(runtimeDirectory, std::getenv("HYPRLAND_INSTANCE_SIGNATURE"))};
}

std::optional<std::string> WlrootsDesktop::applicationId(const ApplicationIndex& index,
                                                         const WindowClass& window) {
  if (window.windowClass.empty()) {
    return std::nullopt;
  }
  if (index.find(window.windowClass) != nullptr) {
    return window.windowClass;
  }
  return index.idForWindowClass(window.instance, window.windowClass);
}

DesktopFunctions WlrootsDesktop::functions(const Sockets& sockets,
                                           std::shared_ptr<const ApplicationIndex> index,
                                           std::chrono::milliseconds timeout) {
  DesktopFunctions functions;
  if (!index) {
    return functions;
  }
  if (answers(sockets.sway, timeout)) {
    const auto sway = std::make_shared<const SwayIpc>(sockets.sway, timeout);
    functions.frontApplication = [sway, index]() -> std::optional<std::string> {
      const auto window = sway->focusedWindow();
      return window ? applicationId(*index, *window) : std::nullopt;
    };
    functions.frontApplicationSource = "sway IPC (" + sockets.sway + ")";
    functions.switchWorkspace = [sway](WorkspaceDirection direction) {
      return sway->switchWorkspace(direction);
    };
    functions.workspaceSource =
        "sway IPC workspace prev_on_output/next_on_output (stopping at the first and last)";
    // sway has no Alt+F4: its own command closes the focused window the way its binding does.
    functions.closeActiveWindow = [sway] { return sway->closeFocusedWindow(); };
    functions.closeActiveWindowSource = "sway IPC kill of the focused window";
  } else if (answers(sockets.hyprland, timeout)) {
    const auto hyprland = std::make_shared<const HyprlandIpc>(sockets.hyprland, timeout);
    functions.frontApplication = [hyprland, index]() -> std::optional<std::string> {
      for (const auto& window : hyprland->activeWindow()) {
        if (auto id = applicationId(*index, window)) {
          return id;
        }
      }
      return std::nullopt;
    };
    functions.frontApplicationSource = "Hyprland IPC (" + sockets.hyprland + ")";
  }
  return functions;
}

}  // namespace tactora::lx
