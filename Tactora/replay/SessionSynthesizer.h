#pragma once

#include <string>
#include <variant>

#include "Tactora/replay/TouchScript.h"

namespace tactora {

// Turns a touch script into a recording in the evemu format that looks like a real Magic Mouse:
// its device header, a report about every 11 ms while something changes, only changed values in
// each report (a finger that does not move sends nothing), touch major 0 a report before the
// tracking id becomes -1 at a lift, and the button, pointer and wheel events in the same reports.
class SessionSynthesizer {
 public:
  // The recording's text; `description` becomes a comment line under the format line.
  static std::variant<std::string, TouchScript::Error> render(const TouchScript& script,
                                                              const std::string& description);

  // Reads the touch script at `path` (scripts it plays are looked up next to it) and renders it
  // as the committed sessions are: described as generated from that file.
  static std::variant<std::string, TouchScript::Error> renderScriptFile(const std::string& path);
};

}  // namespace tactora
