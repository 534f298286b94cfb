#include "Platform/LogFormat.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tactora::platform {

namespace {

// Flags, width and precision of one conversion ("%-8.2f" -> left, width 8, precision 2).
struct Spec {
  bool left = false;
  bool plus = false;
  bool space = false;
  bool zero = false;
  std::size_t width = 0;
  int precision = -1;  // none given
};

// Formats are constants of the code, but a typo must not allocate megabytes or overflow a buffer.
constexpr std::size_t maxWidth = 256;
constexpr int maxPrecision = 64;

Spec parseSpec(std::string_view text) {
  Spec spec;
  std::size_t i = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '-') {
      spec.left = true;
    } else if (c == '+') {
      spec.plus = true;
    } else if (c == ' ') {
      spec.space = true;
    } else if (c == '0') {
      spec.zero = true;
    } else if (c != '#') {
      break;
    }
  }
  std::size_t width = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    width = std::min(maxWidth, width * 10 + static_cast<std::size_t>(text[i] - '0'));
  }
  spec.width = width;
  if (i < text.size() && text[i] == '.') {
    int precision = 0;
    for (++i; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
      precision = std::min(maxPrecision, precision * 10 + (text[i] - '0'));
    }
    spec.precision = precision;
  }
  return spec;
}

// Applies sign flags and width to rendered digits ("-3.5", "42", "inf").
std::string padded(std::string text, const Spec& spec, bool numeric, bool zeroAllowed) {
  const bool negative = !text.empty() && text.front() == '-';
  if (numeric && !negative) {
    if (spec.plus) {
      text.insert(text.begin(), '+');
    } else if (spec.space) {
      text.insert(text.begin(), ' ');
    }
  }
  if (text.size() >= spec.width) {
    return text;
  }
  const std::size_t fill = spec.width - text.size();
  if (spec.left) {
    return text + std::string(fill, ' ');
  }
  if (numeric && spec.zero && zeroAllowed) {
    const std::size_t signLength =
        (!text.empty() && (text.front() == '-' || text.front() == '+' || text.front() == ' ')) ? 1
                                                                                               : 0;
    text.insert(signLength, std::string(fill, '0'));
    return text;
  }
  return std::string(fill, ' ') + text;
}

double asDouble(const LogArg::Value& value) {
  if (const auto* d = std::get_if<double>(&value)) {
    return *d;
  }
  if (const auto* i = std::get_if<std::int64_t>(&value)) {
    return static_cast<double>(*i);
  }
  if (const auto* u = std::get_if<std::uint64_t>(&value)) {
    return static_cast<double>(*u);
  }
  if (const auto* b = std::get_if<bool>(&value)) {
    return *b ? 1 : 0;
  }
  return 0;
}

// A double given to an integer conversion is truncated like a C cast, but saturates instead of
// being undefined for NaN and out-of-range values.
std::int64_t truncated(double value) {
  if (std::isnan(value)) {
    return 0;
  }
  if (value <= static_cast<double>(std::numeric_limits<std::int64_t>::min())) {
    return std::numeric_limits<std::int64_t>::min();
  }
  if (value >= static_cast<double>(std::numeric_limits<std::int64_t>::max())) {
    return std::numeric_limits<std::int64_t>::max();
  }
  return static_cast<std::int64_t>(value);
}

// std::to_chars, unlike printf, ignores the process locale: log lines always use a decimal point.
std::string formatFloating(char conversion, const Spec& spec, double number) {
  const int precision = spec.precision < 0 ? 6 : spec.precision;
  const auto format = conversion == 'f'   ? std::chars_format::fixed
                      : conversion == 'e' ? std::chars_format::scientific
                                          : std::chars_format::general;
  char buffer[512];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, number, format, precision);
  if (result.ec != std::errc()) {
    result = std::to_chars(buffer, buffer + sizeof buffer, number);
  }
  return padded(std::string(buffer, result.ptr), spec, true, std::isfinite(number));
}

std::string formatInteger(char conversion, const Spec& spec, const LogArg::Value& value) {
  std::int64_t signedNumber = 0;
  std::uint64_t unsignedNumber = 0;
  if (const auto* i = std::get_if<std::int64_t>(&value)) {
    signedNumber = *i;
    unsignedNumber = static_cast<std::uint64_t>(*i);
  } else if (const auto* u = std::get_if<std::uint64_t>(&value)) {
    signedNumber = static_cast<std::int64_t>(*u);
    unsignedNumber = *u;
  } else {
    signedNumber = truncated(asDouble(value));
    unsignedNumber = static_cast<std::uint64_t>(signedNumber);
  }
  char buffer[80];
  std::to_chars_result result{};
  switch (conversion) {
    case 'x':
    case 'X':
      result = std::to_chars(buffer, buffer + sizeof buffer, unsignedNumber, 16);
      break;
    case 'o':
      result = std::to_chars(buffer, buffer + sizeof buffer, unsignedNumber, 8);
      break;
    case 'u':
      result = std::to_chars(buffer, buffer + sizeof buffer, unsignedNumber);
      break;
    default:
      result = std::to_chars(buffer, buffer + sizeof buffer, signedNumber);
      break;
  }
  std::string text(buffer, result.ptr);
  if (conversion == 'X') {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](char c) { return c >= 'a' && c <= 'f' ? static_cast<char>(c - 32) : c; });
  }
  if (spec.precision >= 0) {  // minimum number of digits
    const std::size_t sign = !text.empty() && text.front() == '-' ? 1 : 0;
    const auto digits = text.size() - sign;
    if (digits < static_cast<std::size_t>(spec.precision)) {
      text.insert(sign, std::string(static_cast<std::size_t>(spec.precision) - digits, '0'));
    }
  }
  const bool isSigned = conversion == 'd' || conversion == 'i';
  return padded(std::move(text), spec, isSigned, spec.precision < 0);
}

std::string asText(const LogArg::Value& value) {
  if (const auto* s = std::get_if<std::string>(&value)) {
    return *s;
  }
  if (const auto* b = std::get_if<bool>(&value)) {
    return *b ? "true" : "false";
  }
  if (const auto* i = std::get_if<std::int64_t>(&value)) {
    return std::to_string(*i);
  }
  if (const auto* u = std::get_if<std::uint64_t>(&value)) {
    return std::to_string(*u);
  }
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, asDouble(value));
  return std::string(buffer, result.ptr);
}

bool truthOf(const LogArg::Value& value) {
  if (const auto* b = std::get_if<bool>(&value)) {
    return *b;
  }
  if (const auto* s = std::get_if<std::string>(&value)) {
    return !s->empty();
  }
  return asDouble(value) != 0;
}

// True when the comma-separated annotation ("bool,public") holds `word`.
bool annotationHas(std::string_view annotation, std::string_view word) {
  while (!annotation.empty()) {
    const auto comma = annotation.find(',');
    auto token = annotation.substr(0, comma);
    while (!token.empty() && token.front() == ' ') {
      token.remove_prefix(1);
    }
    while (!token.empty() && token.back() == ' ') {
      token.remove_suffix(1);
    }
    if (token == word) {
      return true;
    }
    if (comma == std::string_view::npos) {
      break;
    }
    annotation.remove_prefix(comma + 1);
  }
  return false;
}

}  // namespace

std::string renderLogMessage(std::string_view format, std::initializer_list<LogArg> args) {
  std::string out;
  out.reserve(format.size() + 32);
  auto next = args.begin();
  std::size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    if (c != '%') {
      out += c;
      ++i;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    std::size_t j = i + 1;
    std::string_view annotation;
    if (j < format.size() && format[j] == '{') {
      const auto close = format.find('}', j);
      if (close == std::string_view::npos) {
        out.append(format.substr(i));
        break;
      }
      annotation = format.substr(j + 1, close - j - 1);
      j = close + 1;
    }
    const std::size_t specStart = j;
    while (j < format.size() &&
           std::string_view("-+ #0123456789.").find(format[j]) != std::string_view::npos) {
      ++j;
    }
    const Spec spec = parseSpec(format.substr(specStart, j - specStart));
    while (j < format.size() && (format[j] == 'l' || format[j] == 'h' || format[j] == 'z' ||
                                 format[j] == 'q' || format[j] == 'j' || format[j] == 't')) {
      ++j;  // length modifiers: every integer argument is 64-bit already
    }
    if (j >= format.size()) {
      out.append(format.substr(i));
      break;
    }
    const char conversion = format[j];
    i = j + 1;
    if (next == args.end()) {
      out += "<missing>";
      continue;
    }
    const auto& value = (next++)->value();
    const bool isString = std::holds_alternative<std::string>(value);
    switch (conversion) {
      case 'd':
      case 'i':
      case 'u':
      case 'x':
      case 'X':
      case 'o':
        if (annotationHas(annotation, "bool")) {
          out += padded(truthOf(value) ? "true" : "false", spec, false, false);
        } else if (annotationHas(annotation, "BOOL")) {
          out += padded(truthOf(value) ? "YES" : "NO", spec, false, false);
        } else if (isString || std::holds_alternative<bool>(value)) {
          out += padded(isString ? asText(value) : (truthOf(value) ? "1" : "0"), spec, !isString,
                        !isString);
        } else {
          out += formatInteger(conversion, spec, value);
        }
        break;
      case 'f':
      case 'F':
      case 'g':
      case 'G':
      case 'e':
      case 'E':
        if (isString) {
          out += padded(asText(value), spec, false, false);
        } else {
          const char lower = static_cast<char>(conversion | 0x20);
          std::string text = formatFloating(lower, spec, asDouble(value));
          if (conversion != lower) {
            std::transform(text.begin(), text.end(), text.begin(), [](char ch) {
              return ch >= 'a' && ch <= 'z' ? static_cast<char>(ch - 32) : ch;
            });
          }
          out += text;
        }
        break;
      default: {  // %s, %@ and anything unknown: the argument's text
        std::string text = asText(value);
        if (spec.precision >= 0 && (conversion == 's' || conversion == '@')) {
          text.resize(std::min(text.size(), static_cast<std::size_t>(spec.precision)));
        }
        out += padded(std::move(text), spec, false, false);
        break;
      }
    }
  }
  return out;
}

}  // namespace tactora::platform
