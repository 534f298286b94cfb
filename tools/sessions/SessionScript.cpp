#include "tools/sessions/SessionScript.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace tactora {
namespace {

constexpr int maxPlayDepth = 8;

std::vector<std::string_view> split(std::string_view line) {
  std::vector<std::string_view> tokens;
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
      ++i;
    }
    if (i >= line.size() || line[i] == '#') {
      break;
    }
    std::size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
      ++i;
    }
    tokens.push_back(line.substr(start, i - start));
  }
  return tokens;
}

bool parseNumber(std::string_view text, double& out) {
  if (text.empty()) {
    return false;
  }
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
  return ec == std::errc{} && end == text.data() + text.size() && std::isfinite(out);
}

bool parseTime(std::string_view text, double& start, double& end) {
  std::size_t dots = text.find("..");
  if (dots == std::string_view::npos) {
    if (!parseNumber(text, start) || start < 0) {
      return false;
    }
    end = start;
    return true;
  }
  return parseNumber(text.substr(0, dots), start) && parseNumber(text.substr(dots + 2), end) &&
         start >= 0 && end >= start;
}

std::optional<SessionScript::Kind> kindNamed(std::string_view name) {
  using Kind = SessionScript::Kind;
  if (name == "down")
    return Kind::down;
  if (name == "move")
    return Kind::move;
  if (name == "up")
    return Kind::up;
  if (name == "pointer")
    return Kind::pointer;
  if (name == "press")
    return Kind::press;
  if (name == "release")
    return Kind::release;
  if (name == "wheel")
    return Kind::wheel;
  if (name == "hwheel")
    return Kind::hwheel;
  return std::nullopt;
}

}  // namespace

Expected<SessionScript> SessionScript::parse(std::string_view text, const std::string& file,
                                             const Resolver& resolver) {
  SessionScript script;
  if (auto error = parseInto(text, file, resolver, 0, "", 0, script.commands_)) {
    return *error;
  }
  script.sortByTime();
  return script;
}

void SessionScript::sortByTime() {
  std::stable_sort(commands_.begin(), commands_.end(), [](const Command& a, const Command& b) {
    return a.startSeconds < b.startSeconds;
  });
}

std::optional<InputError> SessionScript::parseInto(std::string_view text, const std::string& file,
                                                   const Resolver& resolver, double offsetSeconds,
                                                   const std::string& fingerPrefix, int depth,
                                                   std::vector<Command>& out) {
  std::size_t lineNumber = 0;
  int plays = 0;
  while (!text.empty()) {
    ++lineNumber;
    std::size_t newline = text.find('\n');
    std::string_view line = text.substr(0, newline);
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
    std::vector<std::string_view> tokens = split(line);
    if (tokens.empty()) {
      continue;
    }
    auto fail = [&](std::string message) {
      return InputError::atLine(file, lineNumber, std::move(message));
    };
    Command command;
    command.file = file;
    command.line = lineNumber;
    if (tokens.size() < 2 || !parseTime(tokens[0], command.startSeconds, command.endSeconds)) {
      return fail("expected 'TIME COMMAND ...' with TIME in seconds or FROM..TO");
    }
    command.startSeconds += offsetSeconds;
    command.endSeconds += offsetSeconds;
    const bool ranged = command.endSeconds > command.startSeconds;

    if (tokens[1] == "play") {
      if (tokens.size() != 3 || ranged) {
        return fail("expected 'TIME play FILE'");
      }
      if (depth >= maxPlayDepth) {
        return fail("scripts play each other too deeply (a loop?)");
      }
      std::string name(tokens[2]);
      std::optional<std::string> played = resolver ? resolver(name) : std::nullopt;
      if (!played) {
        return fail("cannot read '" + name + "'");
      }
      // Every play gets its own finger names, so two plays of one script never share a finger.
      std::string prefix =
          fingerPrefix + std::to_string(lineNumber) + "." + std::to_string(plays++) + "/";
      if (auto error =
              parseInto(*played, name, resolver, command.startSeconds, prefix, depth + 1, out)) {
        return error;
      }
      continue;
    }

    std::optional<Kind> kind = kindNamed(tokens[1]);
    if (!kind) {
      return fail("unknown command '" + std::string(tokens[1]) +
                  "' (down, move, up, pointer, press, release, wheel, hwheel or play)");
    }
    command.kind = *kind;
    switch (command.kind) {
      case Kind::down:
      case Kind::move: {
        if (tokens.size() != 5 || !parseNumber(tokens[3], command.x) ||
            !parseNumber(tokens[4], command.y)) {
          return fail("expected 'TIME " + std::string(tokens[1]) + " FINGER X Y'");
        }
        if (command.x < 0 || command.x > 1 || command.y < 0 || command.y > 1) {
          return fail("positions are fractions of the surface, from 0 to 1");
        }
        if (command.kind == Kind::down && ranged) {
          return fail("a finger touches down at one time, not over a range");
        }
        command.finger = fingerPrefix + std::string(tokens[2]);
        break;
      }
      case Kind::up:
        if (tokens.size() != 3 || ranged) {
          return fail("expected 'TIME up FINGER'");
        }
        command.finger = fingerPrefix + std::string(tokens[2]);
        break;
      case Kind::pointer:
        if (tokens.size() != 4 || !parseNumber(tokens[2], command.x) ||
            !parseNumber(tokens[3], command.y)) {
          return fail("expected 'TIME pointer DX DY'");
        }
        break;
      case Kind::press:
      case Kind::release:
        if (tokens.size() != 2 || ranged) {
          return fail("expected 'TIME " + std::string(tokens[1]) + "'");
        }
        break;
      case Kind::wheel:
      case Kind::hwheel:
        if (tokens.size() != 3 || !parseNumber(tokens[2], command.x)) {
          return fail("expected 'TIME " + std::string(tokens[1]) + " CLICKS'");
        }
        break;
    }
    out.push_back(std::move(command));
  }
  return std::nullopt;
}

}  // namespace tactora
