#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "GestureEngine/Decoded.h"

// Small building blocks shared by every JSON coder of the system's value types.
namespace tactora::json {

// "a string", "a number", "an object", ... for error messages.
std::string describeType(const nlohmann::json& value);

// A single-precision value as a JSON number that prints in the shortest decimal form that reads
// back as the same float ("0.62", not "0.6200000047683716").
nlohmann::json encodeFloat(float value);

// Shortest decimal form of a float with at least one decimal: 100.0, 0.62, -0.0, 1e+20.
std::string formatFloat(float value);
// The same for a double.
std::string formatDouble(double value);

Decoded<float> decodeFloat(const nlohmann::json& value);
Decoded<double> decodeDouble(const nlohmann::json& value);
Decoded<bool> decodeBool(const nlohmann::json& value);
Decoded<std::int64_t> decodeInt64(const nlohmann::json& value);
Decoded<std::uint64_t> decodeUInt64(const nlohmann::json& value);
Decoded<std::string> decodeString(const nlohmann::json& value);

// Fails with a type mismatch unless `value` is an object.
Decoded<bool> requireObject(const nlohmann::json& value);

// The member `key` of an object decoded with `decode`; a missing member fails with keyNotFound and
// every error carries `key` in its path.
template <class Decode>
auto decodeMember(const nlohmann::json& object, std::string_view key, Decode decode)
    -> decltype(decode(object)) {
  auto found = object.find(key);
  if (found == object.end()) {
    return DecodingError::keyNotFound(key);
  }
  auto decoded = decode(*found);
  if (!decoded) {
    return std::move(decoded).error().at(key);
  }
  return decoded;
}

}  // namespace tactora::json
