#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>

#include "GestureEngine/Expected.h"
#include "Platform/evdev/EvemuRecording.h"

namespace tactora {

// The whole application running on the simulated platform, fed the events of one evdev device
// one at a time in the device's own time, printing what happens: every gesture event, and on
// request the routing lines, everything asked of the desktop and the fate of every native scroll.
// A replay feeds it a recording; the monitor feeds it the live mouse.
//
// The session installs its platform and log sink for the process and binds the simulated
// multitouch provider; only one session runs at a time.
class ReplaySession {
 public:
  struct Options {
    std::optional<std::string> configFile;  // read with the store's rules, never written back
    bool actions = false;                   // routing, desktop requests, scroll decisions
    bool time = false;                      // virtual seconds since the first event in front
    bool flushEachLine = false;             // a live session shows each line as it happens
  };

  // Exit statuses.
  static constexpr int failedToStart = 1;    // the simulated multitouch provider cannot be loaded
  static constexpr int unreadableInput = 2;  // the recording or the configuration file

  // Sets up the platform, the device described by `device` (its ids and axes; its events are not
  // used) and the application, and launches it. `name` names the device's source in messages.
  // An error that names a file is about the user's input (the recording or the configuration);
  // one without is about this machine (a temporary folder, the simulated provider).
  static Expected<std::unique_ptr<ReplaySession>> start(const platform::EvemuRecording& device,
                                                        const std::string& name,
                                                        const Options& options, std::ostream& out,
                                                        std::ostream& err);

  ~ReplaySession();
  ReplaySession(const ReplaySession&) = delete;
  ReplaySession& operator=(const ReplaySession&) = delete;

  // One event of the device; virtual time first advances to its time (running what is due).
  void feed(const platform::EvemuRecording::Event& event);

  // Lets what the session set going finish (momentum, the app switcher's release, the overlay's
  // fade), terminates the application and writes out the last lines.
  void finish();

  // Uptime at which the session's first event happens on the virtual timeline.
  static constexpr double startUptimeSeconds = 1000.0;
  // Where the pointer rests when the session starts: the middle of a 1920 x 1080 display.
  static constexpr double startPointerX = 960.0;
  static constexpr double startPointerY = 540.0;

  // The exit status for a failed start.
  static int exitStatus(const InputError& error) {
    return error.file.empty() ? failedToStart : unreadableInput;
  }

 private:
  struct State;
  explicit ReplaySession(std::unique_ptr<State> state);

  std::unique_ptr<State> state_;
};

}  // namespace tactora
