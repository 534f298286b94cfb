#include "Platform/linux/desktop/DesktopEntry.h"

namespace tactora::lx {

namespace {

constexpr std::string_view mainGroup = "[Desktop Entry]";

std::string_view trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) {
    return {};
  }
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

// String values may carry the escapes \s \n \t \r and \\; an unknown escape is kept as written.
std::string unescaped(std::string_view value) {
  std::string result;
  result.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      result += value[i];
      continue;
    }
    switch (value[++i]) {
      case 's':
        result += ' ';
        break;
      case 'n':
        result += '\n';
        break;
      case 't':
        result += '\t';
        break;
      case 'r':
        result += '\r';
        break;
      case '\\':
        result += '\\';
        break;
      default:
        result += '\\';
        result += value[i];
        break;
    }
  }
  return result;
}

}  // namespace

std::optional<DesktopEntry> DesktopEntry::parse(std::string_view text) {
  DesktopEntry entry;
  bool inMainGroup = false;
  bool sawMainGroup = false;
  std::string type;
  while (!text.empty()) {
    const auto end = text.find('\n');
    const auto line = trimmed(text.substr(0, end));
    text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
    if (line.empty() || line.front() == '#') {
      continue;
    }
    if (line.front() == '[') {
      // The main group comes first; the keys of later groups (desktop actions) are not ours.
      if (sawMainGroup) {
        break;
      }
      inMainGroup = line == mainGroup;
      sawMainGroup = inMainGroup;
      continue;
    }
    const auto equals = line.find('=');
    if (!inMainGroup || equals == std::string_view::npos) {
      continue;
    }
    const auto key = trimmed(line.substr(0, equals));
    const auto value = trimmed(line.substr(equals + 1));
    if (key == "Type") {
      type = value;
    } else if (key == "Name") {
      entry.name = unescaped(value);
    } else if (key == "Icon") {
      entry.icon = unescaped(value);
    } else if (key == "StartupWMClass") {
      entry.startupWMClass = unescaped(value);
    } else if (key == "NoDisplay") {
      entry.noDisplay = value == "true";
    } else if (key == "Hidden") {
      entry.hidden = value == "true";
    } else if (key == "X-GNOME-Autostart-enabled") {
      entry.autostartOff = value == "false";
    }
  }
  // A user's "Hidden=true" copy deletes the application whatever else it says, so it is kept for
  // the index to see even without a Type.
  if (!sawMainGroup || (type != "Application" && !entry.hidden)) {
    return std::nullopt;
  }
  return entry;
}

}  // namespace tactora::lx
