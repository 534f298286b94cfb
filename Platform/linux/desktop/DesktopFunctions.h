#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tactora::lx {

// A key combination as the system bridges speak it: a platform virtual key code (the numbering
// of the configuration file) and the hot-key modifier bits (0x100 Command = Ctrl, 0x200 Shift,
// 0x800 Option = Alt, 0x1000 Control = Super).
struct KeyBinding {
  std::uint16_t keyCode = 0;
  std::uint32_t modifiers = 0;
  bool operator==(const KeyBinding&) const = default;
};

enum class WorkspaceDirection { left, right };

// The Dock notifications the actions send, and what they stand for on a Linux desktop.
namespace dockNotification {
inline constexpr std::string_view missionControl = "com.apple.expose.awake";   // every window
inline constexpr std::string_view appExpose = "com.apple.expose.front.awake";  // this app's windows
inline constexpr std::string_view showDesktop = "com.apple.showdesktop.awake";
}  // namespace dockNotification

// What one desktop offers the system bridges, the workspace and the Accessibility steps. Every
// function may be empty: the desktop does not offer it (or the service behind it is not
// running), and the action that needs it takes its missing-function path. Each comes with a
// short text naming where it comes from ("GNOME Shell extension", "EWMH _NET_CLOSE_WINDOW"), which
// `tactora doctor` prints. Functions may block briefly on a bus or the X server; they are called
// on the thread that performs actions.
struct DesktopFunctions {
  // The desktop-file id of the focused application ("org.mozilla.firefox"); nothing when no
  // application is focused or it cannot be told.
  std::function<std::optional<std::string>()> frontApplication;
  std::string frontApplicationSource;
  // For a source that is told the focused application rather than asking for it (KWin's
  // script): waits at most the given time for its first report; false when none came. Empty for
  // sources that can always answer.
  std::function<bool(std::chrono::milliseconds)> awaitFrontApplication;

  // Workspaces, one of two ways. `workspaceBinding` reads the key combination the desktop has
  // bound to moving one workspace left or right (nothing when unbound); the caller replays it.
  // `switchWorkspace` asks the desktop to move directly; false when nothing was asked.
  std::function<std::optional<KeyBinding>(WorkspaceDirection)> workspaceBinding;
  std::function<bool(WorkspaceDirection)> switchWorkspace;
  std::string workspaceSource;

  // Carries out one of the `dockNotification` names; false when the name has no counterpart
  // here or the desktop did not take the request.
  std::function<bool(std::string_view notification)> dockNotification;
  std::string dockNotificationSource;

  // Closes the focused window the way its close button would (the application may still ask
  // about unsaved work); false when nothing was closed, so the caller posts the close binding.
  std::function<bool()> closeActiveWindow;
  std::string closeActiveWindowSource;

  // Completes this desktop's functions with `fallback`'s: an empty function is taken over with
  // its source; the Dock notifications and closing a window, which may fail for one request and
  // not another, try this desktop first and the fallback when it did nothing.
  void fillFrom(const DesktopFunctions& fallback) {
    if (!frontApplication && fallback.frontApplication) {
      frontApplication = fallback.frontApplication;
      frontApplicationSource = fallback.frontApplicationSource;
      awaitFrontApplication = fallback.awaitFrontApplication;
    }
    if (!workspaceBinding && !switchWorkspace &&
        (fallback.workspaceBinding || fallback.switchWorkspace)) {
      workspaceBinding = fallback.workspaceBinding;
      switchWorkspace = fallback.switchWorkspace;
      workspaceSource = fallback.workspaceSource;
    }
    chain(dockNotification, dockNotificationSource, fallback.dockNotification,
          fallback.dockNotificationSource);
    chain(closeActiveWindow, closeActiveWindowSource, fallback.closeActiveWindow,
          fallback.closeActiveWindowSource);
  }

 private:
  template <typename... Args>
  static void chain(std::function<bool(Args...)>& first, std::string& firstSource,
                    const std::function<bool(Args...)>& second, const std::string& secondSource) {
    if (!second) {
      return;
    }
    if (!first) {
      first = second;
      firstSource = secondSource;
      return;
    }
    first = [first, second](Args... args) { return first(args...) || second(args...); };
    firstSource += ", then " + secondSource;
  }
};

}  // namespace tactora::lx
