#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <variant>

#include "Tactora/replay/EvemuRecording.h"

namespace tactora {

// Reads the evemu text format (`evemu-record` output) into an EvemuRecording. Strict: a line that
// is not one of the format's kinds, or whose fields do not parse, stops the reading with the line
// number and what is wrong with it.
class EvemuReader {
 public:
  struct Error {
    std::size_t line = 0;  // 1-based; 0 when the file itself could not be read
    std::string message;
    bool operator==(const Error&) const = default;
  };
  using Result = std::variant<EvemuRecording, Error>;

  static Result read(std::string_view text);
  static Result readFile(const std::string& path);

  // "tactora: FILE:LINE: what is wrong" (or "tactora: FILE: what is wrong" without a line).
  static std::string describe(const std::string& path, const Error& error);
};

}  // namespace tactora
