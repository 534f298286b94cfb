#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tactora {

// Why a JSON value could not be decoded, and where. `path` is a JSON path relative to the value
// the decoder was given ("tuning.tapMaxTravelMM", "profiles[0].bindings[3]"); callers that decode
// nested values prefix it with `at` so the error names the place in the whole document.
struct DecodingError {
  enum class Kind { typeMismatch, keyNotFound, valueNotFound, dataCorrupted };

  Kind kind = Kind::dataCorrupted;
  std::string path;
  std::string message;

  static DecodingError typeMismatch(std::string message);
  static DecodingError keyNotFound(std::string_view key);
  static DecodingError dataCorrupted(std::string message);

  // The error seen from the enclosing object member `key` / array element `index`.
  DecodingError at(std::string_view key) &&;
  DecodingError at(std::size_t index) &&;

  // "path: message", or just the message at the top level.
  std::string description() const;
};

}  // namespace tactora
