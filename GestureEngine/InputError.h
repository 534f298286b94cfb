#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tactora {

// What is wrong with a piece of outside input — a configuration file, a settings document, a
// recording, a touch script — and where: the file, with the line for text formats or the JSON
// path for JSON documents. Every reader of outside input reports its failures with this one value;
// the command line prints `tactora: ` and the description.
struct InputError {
  enum class Kind {
    typeMismatch,   // a JSON value of the wrong type
    keyNotFound,    // a JSON member that must be there is missing
    valueNotFound,  // a JSON value that must not be null is
    dataCorrupted,  // the content is malformed
    fileAccess,     // the file cannot be opened, read or written
  };

  Kind kind = Kind::dataCorrupted;
  // JSON path relative to the value the decoder was given ("tuning.tapMaxTravelMM",
  // "profiles[0].bindings[3]"); decoders of nested values prefix it with `at`.
  std::string path;
  std::string message;
  std::string file;      // where the input came from; empty when it is not a file
  std::size_t line = 0;  // 1-based line of a text format; 0 when not known

  static InputError typeMismatch(std::string message);
  static InputError keyNotFound(std::string_view key);
  static InputError dataCorrupted(std::string message);
  static InputError fileAccess(std::string file, std::string message);
  static InputError atLine(std::string file, std::size_t line, std::string message);

  // The error seen from the enclosing object member `key` / array element `index`.
  InputError at(std::string_view key) &&;
  InputError at(std::size_t index) &&;
  // The error with the file it was found in.
  InputError in(std::string file) &&;

  // "FILE:LINE: message", "FILE: path: message", "path: message", or the message alone.
  std::string description() const;

  bool operator==(const InputError&) const = default;
};

}  // namespace tactora
