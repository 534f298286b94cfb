#include "GestureEngine/JsonCoding.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <limits>

namespace tactora::json {

std::string describeType(const nlohmann::json& value) {
  switch (value.type()) {
    case nlohmann::json::value_t::null:
      return "null";
    case nlohmann::json::value_t::object:
      return "an object";
    case nlohmann::json::value_t::array:
      return "an array";
    case nlohmann::json::value_t::string:
      return "a string";
    case nlohmann::json::value_t::boolean:
      return "a boolean";
    case nlohmann::json::value_t::number_integer:
    case nlohmann::json::value_t::number_unsigned:
    case nlohmann::json::value_t::number_float:
      return "a number";
    case nlohmann::json::value_t::binary:
      return "binary data";
    case nlohmann::json::value_t::discarded:
      return "nothing";
  }
  return "an unknown value";
}

namespace {

DecodingError expected(std::string_view what, const nlohmann::json& found) {
  return DecodingError::typeMismatch("expected " + std::string(what) + ", found " +
                                     describeType(found));
}

std::string shortest(float value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, result.ptr);
}

std::string withDecimal(std::string text) {
  if (text.find_first_of(".eEn") == std::string::npos) {  // "nan"/"inf" contain 'n'
    text += ".0";
  }
  return text;
}

}  // namespace

nlohmann::json encodeFloat(float value) {
  if (!std::isfinite(value)) {
    // JSON has no infinities or NaN; nlohmann writes them as null, which decodes to the default.
    return nlohmann::json(static_cast<double>(value));
  }
  // The double nearest to the float's shortest decimal prints back as that decimal.
  return nlohmann::json(std::strtod(shortest(value).c_str(), nullptr));
}

std::string formatFloat(float value) { return withDecimal(shortest(value)); }

std::string formatDouble(double value) {
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  return withDecimal(std::string(buffer, result.ptr));
}

Decoded<float> decodeFloat(const nlohmann::json& value) {
  if (!value.is_number()) {
    return expected("a number", value);
  }
  const double number = value.get<double>();
  const auto narrowed = static_cast<float>(number);
  if (std::isfinite(number) && !std::isfinite(narrowed)) {
    return DecodingError::dataCorrupted("number " + formatDouble(number) +
                                        " does not fit a 32-bit float");
  }
  return narrowed;
}

Decoded<double> decodeDouble(const nlohmann::json& value) {
  if (!value.is_number()) {
    return expected("a number", value);
  }
  return value.get<double>();
}

Decoded<bool> decodeBool(const nlohmann::json& value) {
  if (!value.is_boolean()) {
    return expected("a boolean", value);
  }
  return value.get<bool>();
}

Decoded<std::int64_t> decodeInt64(const nlohmann::json& value) {
  if (value.is_number_integer() && !value.is_number_unsigned()) {
    return value.get<std::int64_t>();
  }
  if (value.is_number_unsigned()) {
    auto number = value.get<std::uint64_t>();
    if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      return DecodingError::dataCorrupted("number " + std::to_string(number) +
                                          " does not fit a signed 64-bit integer");
    }
    return static_cast<std::int64_t>(number);
  }
  return expected("an integer", value);
}

Decoded<std::uint64_t> decodeUInt64(const nlohmann::json& value) {
  if (value.is_number_unsigned()) {
    return value.get<std::uint64_t>();
  }
  if (value.is_number_integer()) {
    return DecodingError::dataCorrupted("number " + std::to_string(value.get<std::int64_t>()) +
                                        " is negative, expected an unsigned integer");
  }
  return expected("an unsigned integer", value);
}

Decoded<std::string> decodeString(const nlohmann::json& value) {
  if (!value.is_string()) {
    return expected("a string", value);
  }
  return value.get<std::string>();
}

Decoded<bool> requireObject(const nlohmann::json& value) {
  if (!value.is_object()) {
    return expected("an object", value);
  }
  return true;
}

}  // namespace tactora::json
