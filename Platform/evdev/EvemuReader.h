#pragma once

#include <string>
#include <string_view>

#include "GestureEngine/Expected.h"
#include "Platform/evdev/EvemuRecording.h"

namespace tactora::platform {

// Reads the evemu text format (`evemu-record` output) into an EvemuRecording. Strict: a line that
// is not one of the format's kinds, or whose fields do not parse, stops the reading with the line
// number and what is wrong with it, as an InputError (its description reads "FILE:LINE: what is
// wrong").
class EvemuReader {
 public:
  using Result = Expected<EvemuRecording>;

  // `name` is the file the text came from, for the error's place.
  static Result read(std::string_view text, const std::string& name = {});
  static Result readFile(const std::string& path);
};

}  // namespace tactora::platform
