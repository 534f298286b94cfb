#pragma once

#include <functional>
#include <memory>

#include "Platform/linux/x11/X11Connection.h"

namespace tactora::lx {

// What an EWMH window manager does for us on request: close the active window, move one
// workspace left or right, show the desktop. Each request is a client message to the root
// window, which the window manager carries out.
class EwmhWindowManager {
 public:
  enum class Direction { left, right };

  // The requests the running window manager offers, each empty (a missing function) when there
  // is no X server or the window manager does not list it in _NET_SUPPORTED. Each returns false
  // when it asked nothing of the window manager.
  struct Functions {
    std::function<bool()> closeActiveWindow;
    std::function<bool(Direction)> switchWorkspace;
    std::function<bool()> toggleShowingDesktop;
  };
  static Functions functions(const std::shared_ptr<X11Connection>& connection);

  explicit EwmhWindowManager(std::shared_ptr<X11Connection> connection);

  // Asks the window manager to close the active window (_NET_CLOSE_WINDOW); it then sends the
  // client WM_DELETE_WINDOW, so the application may ask about unsaved work. False when there is
  // no active window or it no longer exists, so the caller can fall back to a key binding.
  bool closeActiveWindow();
  // Moves to the neighbouring workspace (_NET_CURRENT_DESKTOP). Stops at the first and the last
  // workspace instead of wrapping round, as the system whose gestures we carry does with its
  // spaces: a swipe towards the edge does nothing. False when nothing was asked.
  bool switchWorkspace(Direction direction);
  // Shows the desktop, or brings the windows back when it is showing (_NET_SHOWING_DESKTOP).
  bool toggleShowingDesktop();

 private:
  std::shared_ptr<X11Connection> connection_;
};

}  // namespace tactora::lx
