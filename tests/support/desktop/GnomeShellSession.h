#pragma once

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/desktop/DesktopSession.h"

namespace tactora::testing {

// A real GNOME Shell, headless on Wayland with one 1280 × 800 monitor, in a desktop session of
// its own run by the unprivileged user (the shell refuses root). It runs in a mount namespace in
// which the host's /run/systemd is hidden (else the shell expects a logind session), with a
// stand-in system bus. About one start in four hangs, so a start that does not finish in time is
// abandoned and tried afresh in a new session (folder, runtime folder, buses), three times at
// most. The session's WAYLAND_DISPLAY, XDG_SESSION_TYPE=wayland and XDG_CURRENT_DESKTOP=GNOME
// name it.
//
// A small helper extension of the tests turns on the shell's unsafe mode, in which `evaluate`
// is answered; the overview that a fresh shell opens is closed.
class GnomeShellSession {
 public:
  struct Options {
    // Extension folders (named by their uuid), installed as the package installs them (a link in
    // $XDG_DATA_HOME/gnome-shell/extensions to a folder of the session) and enabled before the
    // shell starts.
    std::vector<std::filesystem::path> extensions;
    // Application ids whose .desktop files are there before the shell starts (the shell reads
    // files added later only after a while).
    std::vector<std::string> applications;
  };

  // Null, with a test failure naming the reason, when the shell did not start on any try.
  static std::unique_ptr<GnomeShellSession> start(const Options& options);
  ~GnomeShellSession();
  GnomeShellSession(const GnomeShellSession&) = delete;
  GnomeShellSession& operator=(const GnomeShellSession&) = delete;

  DesktopSession& session() const { return *session_; }
  // The shell's process (to stop and continue it, as a hung shell).
  ChildProcess& process() const { return *shell_; }

  // Calls a method of the session bus with busctl's arguments ("org.gnome.Shell", path,
  // interface, member, signature, values...); see DesktopSession::busctl.
  std::optional<nlohmann::json> call(std::vector<std::string> arguments,
                                     std::string* error = nullptr) const {
    arguments.insert(arguments.begin(), "call");
    return session_->busctl(arguments, error);
  }
  // The value of a JavaScript expression inside the shell; nothing when it failed or has none.
  std::optional<nlohmann::json> evaluate(const std::string& script) const;

  // Opens a native Wayland window (zenity) titled `name` whose application id is `appId`, with a
  // matching .desktop file (named after the id's last part), and waits until it has the focus.
  ChildProcess* openWindow(const std::string& name, const std::string& appId);
  // The application id of the focused window; empty when none has the focus.
  std::string focusedWindow() const;
  // Gives the focus to the window of application id `appId`; false when there is none.
  bool focus(const std::string& appId) const;

 private:
  GnomeShellSession() = default;
  bool tryStart(const Options& options, std::string* error);

  std::unique_ptr<DesktopSession> session_;
  std::unique_ptr<ChildProcess> shell_;
};

}  // namespace tactora::testing
