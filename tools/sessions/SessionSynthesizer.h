#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <variant>

#include "tools/sessions/SessionScript.h"

namespace tactora {

// Turns a session script into a recording in the evemu format that looks like one of a real
// device: the device description of a real recording of it, a report about every 11 ms while
// something changes, only changed values in each report (a finger that does not move sends
// nothing), touch major 0 a report before the tracking id becomes -1 at a lift, and the button,
// pointer and wheel events in the same reports.
class SessionSynthesizer {
 public:
  // The real Magic Mouse recording whose device description the committed sessions carry,
  // relative to the folder of their scripts.
  static constexpr std::string_view realDeviceRecording =
      "real/apple-magic-mouse-1-one-touch.evemu";

  // A synthesizer for the device of the evemu recording `text` (read from `file`, named in
  // errors): its description lines, from the device name to the first event, are copied into
  // every session, and positions are scaled to its touch axes.
  static Expected<SessionSynthesizer> forRecording(std::string_view text, const std::string& file);
  // The same for the recording at `path`.
  static Expected<SessionSynthesizer> forRecordingFile(const std::string& path);

  // The recording's text; `description` becomes a comment line under the format line.
  Expected<std::string> render(const SessionScript& script, const std::string& description) const;

  // Reads the session script at `path` (scripts it plays are looked up next to it) and renders
  // it as the committed sessions are: described as generated from that file.
  Expected<std::string> renderScriptFile(const std::string& path) const;

 private:
  SessionSynthesizer() = default;

  std::string header_;
  // The touch axes of the device: position ranges and slots.
  std::int32_t xMinimum_ = 0;
  std::int32_t xMaximum_ = 0;
  std::int32_t yMinimum_ = 0;
  std::int32_t yMaximum_ = 0;
  int slotCount_ = 0;
};

}  // namespace tactora
