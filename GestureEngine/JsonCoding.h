#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "GestureEngine/Expected.h"

// Small building blocks shared by every JSON coder of the system's value types.
namespace tactora::json {

// "a string", "a number", "an object", ... for error messages.
std::string describeType(const nlohmann::json& value);

// A single-precision value as a JSON number that prints in the shortest decimal form that reads
// back as the same float ("0.62", not "0.6200000047683716").
nlohmann::json encodeFloat(float value);

// Shortest decimal form of a float that reads back as the same float, with at least one decimal:
// 100.0, 0.62, -0.0. Magnitudes below 0.0001 or above 2^24 use an exponent (1e-05, 3.3554432e+07).
std::string formatFloat(float value);
// The same for a double; its exponent threshold is 2^53.
std::string formatDouble(double value);

// JSON text to a value, without throwing: malformed text, ill-formed UTF-8, numbers out of the
// double range and nesting deeper than `maxDepth` fail with an error naming the byte offset.
// Deep nesting is refused up front because copying, comparing and writing a JSON value recurse.
inline constexpr std::size_t defaultMaxJsonDepth = 256;
Expected<nlohmann::json> parse(std::string_view text, std::size_t maxDepth = defaultMaxJsonDepth);

// A value to JSON text (`indent` < 0: compact). Ill-formed UTF-8 in a string is written as U+FFFD
// instead of throwing, so text that came from outside the JSON reader can always be written.
std::string dump(const nlohmann::json& value, int indent = -1);

Expected<float> decodeFloat(const nlohmann::json& value);
Expected<double> decodeDouble(const nlohmann::json& value);
Expected<bool> decodeBool(const nlohmann::json& value);
Expected<std::int64_t> decodeInt64(const nlohmann::json& value);
Expected<std::uint64_t> decodeUInt64(const nlohmann::json& value);
Expected<std::string> decodeString(const nlohmann::json& value);

// Fails with a type mismatch unless `value` is an object.
Expected<bool> requireObject(const nlohmann::json& value);

// The member `key` of an object decoded with `decode`; a missing member fails with keyNotFound and
// every error carries `key` in its path.
template <class Decode>
auto decodeMember(const nlohmann::json& object, std::string_view key, Decode decode)
    -> decltype(decode(object)) {
  auto found = object.find(key);
  if (found == object.end()) {
    return InputError::keyNotFound(key);
  }
  auto decoded = decode(*found);
  if (!decoded) {
    return std::move(decoded).error().at(key);
  }
  return decoded;
}

// An enumeration case with its payload object: what `decodeSingleCase` finds.
template <class Case>
struct SingleCase {
  Case kind;
  const nlohmann::json* payload;  // always an object
};

// Reads the JSON shape of an enumeration with payloads: an object holding exactly one member named
// after a case (members with other names are ignored), whose value is an object. Zero or several
// case members fail with "Invalid number of keys found, expected one."; a payload that is not an
// object fails with the case name in its path.
template <class Case, std::size_t N>
Expected<SingleCase<Case>> decodeSingleCase(const nlohmann::json& value,
                                            const std::array<Case, N>& cases,
                                            std::string_view (*nameOf)(Case)) {
  if (auto isObject = requireObject(value); !isObject) {
    return std::move(isObject).error();
  }
  const Case* found = nullptr;
  std::size_t count = 0;
  for (const auto& kind : cases) {
    if (value.contains(nameOf(kind))) {
      found = &kind;
      ++count;
    }
  }
  if (count != 1) {
    return InputError::typeMismatch("Invalid number of keys found, expected one.");
  }
  const auto name = nameOf(*found);
  const auto& payload = *value.find(name);
  if (auto isObject = requireObject(payload); !isObject) {
    return std::move(isObject).error().at(name);
  }
  return SingleCase<Case>{*found, &payload};
}

}  // namespace tactora::json
