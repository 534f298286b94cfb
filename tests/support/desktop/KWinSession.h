#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/desktop/DesktopSession.h"

namespace tactora::testing {

// KDE Plasma's window manager in a desktop session, with the environment a Plasma session has
// (XDG_CURRENT_DESKTOP=KDE, KDE_SESSION_VERSION=5, KDE_FULL_SESSION=true, the session type):
// kwin_x11 and kglobalaccel5 on a private X server of their own, composited (OpenGL on llvmpipe)
// or not, or kwin_wayland on a virtual output with Xwayland (kglobalaccel runs inside it). The
// session's DISPLAY names the X server (Xwayland on Wayland) from then on; on Wayland its
// WAYLAND_DISPLAY names KWin.
class KWinSession {
 public:
  enum class Kind { x11, x11Composited, wayland };

  // Null, with a test failure naming the reason, when KWin did not become ready: managing the X
  // server's windows with four desktops, serving its scripting service, and its shortcuts known
  // to kglobalaccel.
  static std::unique_ptr<KWinSession> start(DesktopSession& session, Kind kind);

  // Replaces the running kwin_x11 with a new one, composited or not, as `kwin_x11 --replace`
  // does; true once the new one is ready.
  bool replace(bool composited);
  bool composited() const { return composited_; }

  // Opens an X window (xterm; through Xwayland on Wayland) with WM_CLASS `instance`, `windowClass`
  // and the title `title`, and waits until KWin has made it the active window.
  bool openXWindow(const std::string& title, const std::string& instance,
                   const std::string& windowClass);
  // Opens a native Wayland window (zenity) with the application id `appId`.
  bool openWaylandWindow(const std::string& title, const std::string& appId);

  // The desktop as the X server's tools see it (wmctrl, xprop).
  std::optional<int> currentDesktop() const;
  bool hasWindow(const std::string& title) const;
  std::string activeWindowTitle() const;
  // Activates the window titled `title` (wmctrl -a) and waits until it is the active one.
  bool activate(const std::string& title) const;
  bool showingDesktop() const;
  // The KWin effects running now (the overview while it shows); empty while KWin composites
  // nothing.
  std::vector<std::string> activeEffects() const;

 private:
  explicit KWinSession(DesktopSession& session) : session_(session) {}
  bool startX11(bool composited, bool replacing);
  bool awaitReady(bool composited);
  // The unique bus name of the connection that owns org.kde.KWin; empty when none does.
  std::string kwinOwner() const;
  std::string run(const std::vector<std::string>& arguments) const;

  DesktopSession& session_;
  ChildProcess* kwin_ = nullptr;  // the running kwin_x11
  int kwinStarts_ = 0;
  bool composited_ = true;
};

}  // namespace tactora::testing
