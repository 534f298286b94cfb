#include "GestureEngine/JsonCoding.h"

#include <charconv>
#include <cmath>
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

InputError expected(std::string_view what, const nlohmann::json& found) {
  return InputError::typeMismatch("expected " + std::string(what) + ", found " +
                                  describeType(found));
}

// Magnitudes above which the textual form switches to an exponent: beyond them not every integer
// is representable, so "16777217.0" would claim a precision the float does not have.
constexpr float floatFixedLimit = 16777216.0f;           // 2^24
constexpr double doubleFixedLimit = 9007199254740992.0;  // 2^53

template <class F>
std::string shortestText(F value, F fixedLimit) {
  char buffer[128];
  if (!std::isfinite(value) || value == 0) {
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return std::string(buffer, result.ptr);
  }
  // The exponent of the shortest form decides, not the value: the float nearest 0.0001 lies just
  // below it, yet prints as 0.0001.
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::scientific);
  std::string scientific(buffer, result.ptr);
  const auto mark = scientific.find('e');
  int exponent = 0;
  const char* digits = scientific.c_str() + mark + 1;
  const bool negative = *digits == '-';
  if (*digits == '-' || *digits == '+') {
    ++digits;
  }
  std::from_chars(digits, scientific.c_str() + scientific.size(), exponent);
  if (negative) {
    exponent = -exponent;
  }
  if (exponent < -4 || std::fabs(value) > fixedLimit) {
    return scientific;
  }
  result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
  return std::string(buffer, result.ptr);
}

std::string withDecimal(std::string text) {
  if (text.find_first_of(".eEn") == std::string::npos) {  // "nan"/"inf" contain 'n'
    text += ".0";
  }
  return text;
}

// Describes a non-integer JSON value met where an integer was expected.
InputError notAnInteger(std::string_view what, const nlohmann::json& found) {
  if (found.is_number_float()) {
    return InputError::typeMismatch("expected " + std::string(what) + ", found the number " +
                                    formatDouble(found.get<double>()));
  }
  return expected(what, found);
}

// Parser messages quote the text they stopped at: keep them short and plain ASCII, so a hostile
// document cannot put megabytes or ill-formed UTF-8 into a log line or a dialog.
std::string printable(std::string_view message) {
  constexpr std::size_t maxLength = 200;
  std::string text;
  for (const char c : message.substr(0, maxLength)) {
    const auto byte = static_cast<unsigned char>(c);
    text += byte >= 0x20 && byte < 0x7f ? c : '?';
  }
  if (message.size() > maxLength) {
    text += "...";
  }
  return text;
}

}  // namespace

nlohmann::json encodeFloat(float value) {
  if (!std::isfinite(value)) {
    // JSON has no infinities or NaN; nlohmann writes them as null, which decodes to the default.
    return nlohmann::json(static_cast<double>(value));
  }
  // The double nearest to the float's shortest decimal prints back as that decimal. from_chars,
  // unlike strtod, ignores the process locale (a decimal comma would cut "0.62" to 0).
  char buffer[64];
  auto written = std::to_chars(buffer, buffer + sizeof buffer, value);
  double widened = static_cast<double>(value);
  std::from_chars(buffer, written.ptr, widened);
  return nlohmann::json(widened);
}

std::string formatFloat(float value) {
  return withDecimal(shortestText(value, floatFixedLimit));
}

std::string formatDouble(double value) {
  return withDecimal(shortestText(value, doubleFixedLimit));
}

Expected<nlohmann::json> parse(std::string_view text, std::size_t maxDepth) {
  std::size_t depth = 0;
  bool inString = false;
  for (std::size_t index = 0; index < text.size(); ++index) {
    const char c = text[index];
    if (inString) {
      if (c == '\\') {
        ++index;
      } else if (c == '"') {
        inString = false;
      }
      continue;
    }
    if (c == '"') {
      inString = true;
    } else if (c == '[' || c == '{') {
      if (++depth > maxDepth) {
        return InputError::dataCorrupted("nesting deeper than " + std::to_string(maxDepth) +
                                         " levels at byte " + std::to_string(index));
      }
    } else if ((c == ']' || c == '}') && depth > 0) {
      --depth;
    }
  }
  try {
    return nlohmann::json::parse(text);
  } catch (const nlohmann::json::exception& error) {
    // what() starts with "[json.exception.parse_error.101] "; the rest says where and what.
    std::string_view message = error.what();
    if (const auto close = message.find("] ");
        !message.empty() && message.front() == '[' && close != std::string_view::npos) {
      message.remove_prefix(close + 2);
    }
    return InputError::dataCorrupted(printable(message));
  }
}

std::string dump(const nlohmann::json& value, int indent) {
  return value.dump(indent, ' ', false, nlohmann::json::error_handler_t::replace);
}

Expected<float> decodeFloat(const nlohmann::json& value) {
  if (!value.is_number()) {
    return expected("a number", value);
  }
  const double number = value.get<double>();
  const auto narrowed = static_cast<float>(number);
  if (std::isfinite(number) && !std::isfinite(narrowed)) {
    return InputError::dataCorrupted("number " + formatDouble(number) +
                                     " does not fit a 32-bit float");
  }
  return narrowed;
}

Expected<double> decodeDouble(const nlohmann::json& value) {
  if (!value.is_number()) {
    return expected("a number", value);
  }
  return value.get<double>();
}

Expected<bool> decodeBool(const nlohmann::json& value) {
  if (!value.is_boolean()) {
    return expected("a boolean", value);
  }
  return value.get<bool>();
}

Expected<std::int64_t> decodeInt64(const nlohmann::json& value) {
  if (value.is_number_integer() && !value.is_number_unsigned()) {
    return value.get<std::int64_t>();
  }
  if (value.is_number_unsigned()) {
    auto number = value.get<std::uint64_t>();
    if (number > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      return InputError::dataCorrupted("number " + std::to_string(number) +
                                       " does not fit a signed 64-bit integer");
    }
    return static_cast<std::int64_t>(number);
  }
  return notAnInteger("an integer", value);
}

Expected<std::uint64_t> decodeUInt64(const nlohmann::json& value) {
  if (value.is_number_unsigned()) {
    return value.get<std::uint64_t>();
  }
  if (value.is_number_integer()) {
    return InputError::dataCorrupted("number " + std::to_string(value.get<std::int64_t>()) +
                                     " is negative, expected an unsigned integer");
  }
  return notAnInteger("an unsigned integer", value);
}

Expected<std::string> decodeString(const nlohmann::json& value) {
  if (!value.is_string()) {
    return expected("a string", value);
  }
  return value.get<std::string>();
}

Expected<bool> requireObject(const nlohmann::json& value) {
  if (!value.is_object()) {
    return expected("an object", value);
  }
  return true;
}

}  // namespace tactora::json
