#pragma once

#include <memory>
#include <string>

#include "tests/support/desktop/DesktopSession.h"

namespace tactora::testing {

// A real tray host in a desktop session: waybar with its tray module on sway, or xfce4-panel with
// its notification-area plugin on an X server. Each is the session's StatusNotifierWatcher and
// host, shows items from their icon name or pictures, and draws their menus itself from their
// dbusmenu export. The panel is a bar across the top of the screen.
class TrayPanel {
 public:
  enum class Kind { waybar, xfcePanel };

  // Writes the panel's configuration and starts it in a session that already runs sway (waybar)
  // or an X server (xfce4-panel). Null, with a test failure, when it did not take the watcher's
  // name on the session bus.
  static std::unique_ptr<TrayPanel> start(DesktopSession& session, Kind kind);

  // Ends the panel and waits until its watcher has left the bus; false when it stayed.
  bool stop();
  // Starts it again after `stop`; false, with a test failure, when it did not come up.
  bool launch();
  bool running();
  // Stops the panel's processes where they are (SIGSTOP), as a hung panel, or lets it go on
  // (SIGCONT).
  void pause(bool paused);

  // The panel's height in pixels from the top of the screen.
  int height() const { return height_; }
  // What the panel printed since it was last started.
  std::string log() const;

 private:
  TrayPanel(DesktopSession& session, Kind kind) : session_(session), kind_(kind) {}
  bool watcherOwned() const;

  DesktopSession& session_;
  Kind kind_;
  int height_ = 0;
  int starts_ = 0;
  ChildProcess* process_ = nullptr;
};

}  // namespace tactora::testing
