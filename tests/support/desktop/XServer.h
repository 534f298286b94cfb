#pragma once

#include <memory>
#include <string>

#include "tests/support/desktop/DesktopSession.h"

namespace tactora::testing {

// A private X server (Xvfb, 1280 x 800) in a desktop session, optionally with openbox as its
// window manager; the session's DISPLAY names it from then on. Other window managers (KWin) are
// started by their own harness on a server started without one.
class XServer {
 public:
  enum class WindowManager { none, openbox };

  // Null, with a test failure naming the reason, when the server or the window manager did not
  // become ready.
  static std::unique_ptr<XServer> start(DesktopSession& session,
                                        WindowManager windowManager = WindowManager::openbox);

  const std::string& display() const { return display_; }
  // The server's process (to end it as a crash or a logout would).
  ChildProcess& process() const { return *server_; }
  // Waits until a window manager has announced itself on the root window (_NET_SUPPORTING_WM_CHECK)
  // and carries out requests; with `workspaces` > 0 it is first asked for that many.
  static bool awaitWindowManager(const std::string& display, long workspaces = 0);

 private:
  std::string display_;
  ChildProcess* server_ = nullptr;
};

}  // namespace tactora::testing
