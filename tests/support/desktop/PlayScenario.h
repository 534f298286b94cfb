#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "tests/support/desktop/DesktopSession.h"
#include "tests/support/desktop/TactoraProgram.h"

namespace tactora::testing {

// `tactora --play` on a real desktop: what every desktop's end-to-end case shares. An application
// the desktop knows by its .desktop file, a configuration whose profile for that application binds
// a gesture to a shell command that leaves a marker file, the example recordings with a lead-in,
// and one run of the program: started, kept focused on the window the gesture is meant for until
// the desktop shows the effect, and quit with SIGTERM.
class PlayScenario {
 public:
  // How long a recording waits before its gesture: Tactora's own windows (the permissions window
  // without grants, the settings window without a tray) appear at launch and take the focus; the
  // scenario moves it back before the gesture comes.
  static constexpr double leadSeconds = 2.0;

  PlayScenario(DesktopSession& session, TactoraProgram& program)
      : session_(session), program_(program) {}

  // $XDG_DATA_HOME/applications/<desktopId>.desktop, for windows of class (X11) or app id
  // (Wayland) `windowClass`.
  void installApplication(const std::string& desktopId, const std::string& windowClass) const;
  // config.json: the default bindings for all applications, and a profile for `desktopId` in
  // which `gestureJson` (for example {"tap": {"fingers": 3}}) creates marker().
  void writeConfiguration(const std::string& desktopId, const std::string& gestureJson) const;
  // In the home folder: the command runs as the session's user, who may write only there.
  std::filesystem::path marker() const { return session_.home() / "marker"; }

  // examples/sessions/<name>.evemu with every event but the first moved leadSeconds later, in the
  // session's folder.
  std::filesystem::path recording(const std::string& name) const;

  // Plays the example recording `name`. `focus` (when given) focuses the window the gesture is
  // meant for when it is not focused and says whether it is: the program starts only once the
  // desktop says so (a window manager may still be settling an earlier focus, and the gesture
  // would act on that window), and `focus` is called again every few milliseconds until `done`
  // holds; false when it did not within `timeout`. The program keeps running for quit().
  bool play(const std::string& name, const std::function<bool()>& done,
            const std::function<bool()>& focus = {},
            std::chrono::milliseconds timeout = std::chrono::seconds(30));
  // SIGTERM to the program of the last play; its exit status (-1 when it did not end).
  int quit();
  // What the program of the last play has printed.
  std::string log() const { return session_.log(runName()); }
  ChildProcess* running() const { return running_; }

  // A `focus` for play() on X11: the window titled `title` is the root's _NET_ACTIVE_WINDOW, or is
  // asked to become it (wmctrl).
  std::function<bool()> focusXWindow(const std::string& title) const;

 private:
  std::string runName() const { return "play-" + std::to_string(runs_); }

  DesktopSession& session_;
  TactoraProgram& program_;
  ChildProcess* running_ = nullptr;
  int runs_ = 0;
};

}  // namespace tactora::testing
