#include "Platform/LogFormat.h"

#include <cctype>
#include <cstdio>

namespace tactora::platform {

namespace {

std::string printfNumber(const std::string& spec, char conversion, const LogArg::Value& value) {
  char buffer[512];
  std::string format = "%" + spec;
  int written = 0;
  if (conversion == 'f' || conversion == 'g' || conversion == 'e') {
    double number = 0;
    if (auto* d = std::get_if<double>(&value)) {
      number = *d;
    } else if (auto* i = std::get_if<std::int64_t>(&value)) {
      number = static_cast<double>(*i);
    } else if (auto* u = std::get_if<std::uint64_t>(&value)) {
      number = static_cast<double>(*u);
    } else if (auto* b = std::get_if<bool>(&value)) {
      number = *b ? 1 : 0;
    }
    format += conversion;
    written = std::snprintf(buffer, sizeof buffer, format.c_str(), number);
  } else {
    const bool isUnsigned = conversion == 'u' || conversion == 'x' || conversion == 'X';
    long long signedNumber = 0;
    unsigned long long unsignedNumber = 0;
    if (auto* i = std::get_if<std::int64_t>(&value)) {
      signedNumber = *i;
      unsignedNumber = static_cast<unsigned long long>(*i);
    } else if (auto* u = std::get_if<std::uint64_t>(&value)) {
      signedNumber = static_cast<long long>(*u);
      unsignedNumber = *u;
    } else if (auto* d = std::get_if<double>(&value)) {
      signedNumber = static_cast<long long>(*d);
      unsignedNumber = static_cast<unsigned long long>(signedNumber);
    } else if (auto* b = std::get_if<bool>(&value)) {
      signedNumber = *b ? 1 : 0;
      unsignedNumber = *b ? 1 : 0;
    }
    format += "ll";
    format += conversion;
    written = isUnsigned ? std::snprintf(buffer, sizeof buffer, format.c_str(), unsignedNumber)
                         : std::snprintf(buffer, sizeof buffer, format.c_str(), signedNumber);
  }
  if (written < 0) {
    return "<bad format>";
  }
  return std::string(buffer, std::min<std::size_t>(static_cast<std::size_t>(written),
                                                   sizeof buffer - 1));
}

std::string asText(const LogArg::Value& value) {
  if (auto* s = std::get_if<std::string>(&value)) {
    return *s;
  }
  if (auto* b = std::get_if<bool>(&value)) {
    return *b ? "true" : "false";
  }
  if (auto* i = std::get_if<std::int64_t>(&value)) {
    return std::to_string(*i);
  }
  if (auto* u = std::get_if<std::uint64_t>(&value)) {
    return std::to_string(*u);
  }
  return printfNumber("", 'g', value);
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
    std::string spec;  // flags, width and precision, kept for printf
    while (j < format.size() && std::string_view("-+ #0123456789.").find(format[j]) !=
                                    std::string_view::npos) {
      spec += format[j++];
    }
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
    const bool isBool = annotation.substr(0, 4) == "bool";
    switch (conversion) {
      case 's':
      case '@':
        out += asText(value);
        break;
      case 'd':
      case 'i':
      case 'u':
      case 'x':
      case 'X':
        if (isBool || std::holds_alternative<bool>(value)) {
          bool truth = false;
          if (auto* b = std::get_if<bool>(&value)) {
            truth = *b;
          } else if (auto* n = std::get_if<std::int64_t>(&value)) {
            truth = *n != 0;
          } else if (auto* u = std::get_if<std::uint64_t>(&value)) {
            truth = *u != 0;
          }
          out += isBool ? (truth ? "true" : "false") : (truth ? "1" : "0");
        } else if (std::holds_alternative<std::string>(value)) {
          out += asText(value);
        } else {
          out += printfNumber(spec, conversion, value);
        }
        break;
      case 'f':
      case 'g':
      case 'e':
        if (std::holds_alternative<std::string>(value)) {
          out += asText(value);
        } else {
          out += printfNumber(spec, conversion, value);
        }
        break;
      default:
        out += asText(value);
        break;
    }
  }
  return out;
}

}  // namespace tactora::platform
