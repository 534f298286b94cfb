#pragma once

#include <iosfwd>
#include <string>

#include "Platform/evdev/EvemuRecording.h"
#include "Tactora/replay/ReplaySession.h"

namespace tactora {

// Runs a recorded input session through the whole application on the simulated platform, in the
// recording's own time, and prints what happened: every gesture event, and on request the
// application's routing lines, everything it asked of the desktop (posted events, Dock
// notifications, hot-key calls, Accessibility actions, opened URLs, launched processes) and the
// fate of every native scroll event.
class ReplayDriver {
 public:
  using Options = ReplaySession::Options;

  // Exit statuses of a replay.
  static constexpr int succeeded = 0;
  static constexpr int failedToStart = ReplaySession::failedToStart;
  static constexpr int unreadableInput = ReplaySession::unreadableInput;

  // Reads `recordingPath` and replays it; output lines go to `out`, problems to `err` as
  // "tactora: FILE:LINE: what is wrong". Returns the exit status.
  static int run(const std::string& recordingPath, const Options& options, std::ostream& out,
                 std::ostream& err);

  // Replays an already read recording; `name` is used in messages.
  static int replay(const platform::EvemuRecording& recording, const std::string& name,
                    const Options& options, std::ostream& out, std::ostream& err);
};

}  // namespace tactora
