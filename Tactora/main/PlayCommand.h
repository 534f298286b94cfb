#pragma once

#include <string>
#include <variant>

namespace tactora {

// `tactora --play RECORDING`: the application with an evemu recording in the mouse's place. The
// playback provider beside the program is loaded and handed the recording before anything of the
// application starts (Qt, the session bus, the one-instance claim), so a missing or malformed
// recording ends the program with one line and nothing started.
class PlayCommand {
 public:
  static constexpr int unreadableRecording = 2;
  static constexpr int cannotPlay = 1;

  // Why the application does not start: the line to print after "tactora: ", and the status.
  struct Refusal {
    std::string message;
    int exitStatus = cannotPlay;
  };

  // The provider's path, for the multitouch bridge, once it holds the recording.
  static std::variant<std::string, Refusal> prepare(const std::string& recordingPath);

  // What `--play` says, instead of handing over, when another Tactora runs in the session: both
  // would act on every gesture.
  static Refusal alreadyRunning();
};

}  // namespace tactora
