#pragma once

#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>

#include "Tactora/replay/EvemuRecording.h"

namespace tactora {

// Runs a recorded input session through the whole application on the simulated platform, in the
// recording's own time, and prints what happened: every gesture event, and on request the
// application's routing lines, everything it asked of the desktop (posted events, Dock
// notifications, hot-key calls, Accessibility actions, opened URLs, launched processes) and the
// fate of every native scroll event.
class ReplayDriver {
 public:
  struct Options {
    std::optional<std::string> configFile;  // read with the store's rules, never written back
    bool actions = false;                   // routing, desktop requests, scroll decisions
    bool time = false;                      // virtual seconds since the first event in front
  };

  // Exit statuses of a replay.
  static constexpr int succeeded = 0;
  static constexpr int failedToStart = 1;    // the simulated multitouch provider cannot be loaded
  static constexpr int unreadableInput = 2;  // the recording or the configuration file

  // Reads `recordingPath` and replays it; output lines go to `out`, problems to `err` as
  // "tactora: FILE:LINE: what is wrong". Returns the exit status.
  static int run(const std::string& recordingPath, const Options& options, std::ostream& out,
                 std::ostream& err);

  // Replays an already read recording; `name` is used in messages.
  static int replay(const EvemuRecording& recording, const std::string& name,
                    const Options& options, std::ostream& out, std::ostream& err);

  // Uptime at which the replay's first event happens on the virtual timeline.
  static constexpr double startUptimeSeconds = 1000.0;
  // Where the pointer rests when the replay starts: the middle of a 1920 x 1080 display.
  static constexpr double startPointerX = 960.0;
  static constexpr double startPointerY = 540.0;
};

}  // namespace tactora
