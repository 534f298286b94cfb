#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "tests/support/desktop/DesktopSession.h"
#include "tests/support/desktop/SwaySession.h"
#include "tests/support/desktop/XServer.h"

namespace tactora::testing {

// A real tray host in a desktop session: waybar with its tray module on sway, or xfce4-panel with
// its notification-area plugin on an X server. Each is the session's StatusNotifierWatcher and
// host, shows items from their icon name or pictures, and draws their menus itself from their
// dbusmenu export. The panel is a bar across the top of the screen.
class TrayPanel {
 public:
  enum class Kind { waybar, xfcePanel };

  // Starts what the panel shows on (sway for waybar; an X server without a window manager for
  // xfce4-panel), writes the panel's configuration and starts it. Null, with a test failure, when
  // something did not come up or the panel did not take the watcher's name on the session bus.
  static std::unique_ptr<TrayPanel> start(DesktopSession& session, Kind kind);

  // The compositor (waybar) or the X server's display name (xfce4-panel).
  SwaySession* sway() const { return sway_.get(); }
  std::string display() const { return x_ ? x_->display() : std::string(); }

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
  // A picture of the screen's top `height` pixels (the panel's height when 0), 1280 wide, as a
  // file in the session's home: PNG from grim on sway, PPM from the X server; empty on failure.
  std::filesystem::path picture(int height = 0) const;
  // What the panel printed since it was last started.
  std::string log() const;

 private:
  TrayPanel(DesktopSession& session, Kind kind) : session_(session), kind_(kind) {}
  bool watcherOwned() const;

  DesktopSession& session_;
  Kind kind_;
  std::unique_ptr<SwaySession> sway_;
  std::unique_ptr<XServer> x_;
  int height_ = 0;
  int starts_ = 0;
  ChildProcess* process_ = nullptr;
};

}  // namespace tactora::testing
