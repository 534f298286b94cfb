#include "tools/sessions/SessionSynthesizer.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "Tactora/config/FileIO.h"

namespace tactora {
namespace {

// More slots than any multitouch device has; a header claiming more is not believed.
constexpr std::int32_t maxSlotCount = 64;
constexpr std::int32_t restingTouchMajor = 480;
constexpr std::int32_t restingTouchMinor = 240;
constexpr std::int32_t firstTrackingID = 100;
constexpr std::int32_t buttonScanCode = 0x90001;

// The device reports about every 11 ms; real reports wobble by a fraction of a millisecond, so
// the ticks do too, in a fixed pattern that keeps the output reproducible.
constexpr std::int64_t tickMicroseconds = 11'000;
constexpr std::array<std::int64_t, 8> tickJitterMicroseconds{0, 180, -240, 90, 310, -130, 40, -60};

std::int64_t tickTime(std::int64_t tick) {
  return tick * tickMicroseconds + tickJitterMicroseconds[static_cast<std::size_t>(tick % 8)];
}

// The first tick at or after `seconds`.
std::int64_t tickAt(double seconds) {
  return static_cast<std::int64_t>(std::ceil(seconds * 1e6 / tickMicroseconds - 1e-6));
}

// The lines of `text`, each without its newline.
std::vector<std::string_view> linesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const std::size_t newline = text.find('\n');
    lines.push_back(text.substr(0, newline));
    text.remove_prefix(newline == std::string_view::npos ? text.size() : newline + 1);
  }
  return lines;
}

// The minimum and maximum of an `A: CODE MIN MAX FUZZ FLAT RESOLUTION` line (code in hex).
std::optional<std::pair<std::int32_t, std::int32_t>> axisRange(std::string_view line,
                                                               std::uint16_t code) {
  unsigned lineCode = 0;
  long minimum = 0;
  long maximum = 0;
  const std::string copy(line);
  if (std::sscanf(copy.c_str(), "A: %x %ld %ld", &lineCode, &minimum, &maximum) != 3 ||
      lineCode != code || minimum > maximum) {
    return std::nullopt;
  }
  return std::pair{static_cast<std::int32_t>(minimum), static_cast<std::int32_t>(maximum)};
}

const char* codeName(std::uint16_t type, std::uint16_t code) {
  switch (type) {
    case EV_SYN:
      return "SYN_REPORT";
    case EV_KEY:
      return "BTN_LEFT";
    case EV_MSC:
      return "MSC_SCAN";
    case EV_REL:
      switch (code) {
        case REL_X:
          return "REL_X";
        case REL_Y:
          return "REL_Y";
        case REL_WHEEL:
          return "REL_WHEEL";
        case REL_HWHEEL:
          return "REL_HWHEEL";
        default:
          return "?";
      }
    case EV_ABS:
      switch (code) {
        case ABS_MT_SLOT:
          return "ABS_MT_SLOT";
        case ABS_MT_TOUCH_MAJOR:
          return "ABS_MT_TOUCH_MAJOR";
        case ABS_MT_TOUCH_MINOR:
          return "ABS_MT_TOUCH_MINOR";
        case ABS_MT_ORIENTATION:
          return "ABS_MT_ORIENTATION";
        case ABS_MT_POSITION_X:
          return "ABS_MT_POSITION_X";
        case ABS_MT_POSITION_Y:
          return "ABS_MT_POSITION_Y";
        case ABS_MT_TRACKING_ID:
          return "ABS_MT_TRACKING_ID";
        default:
          return "?";
      }
    default:
      return "?";
  }
}

const char* typeName(std::uint16_t type) {
  switch (type) {
    case EV_KEY:
      return "EV_KEY";
    case EV_REL:
      return "EV_REL";
    case EV_ABS:
      return "EV_ABS";
    case EV_MSC:
      return "EV_MSC";
    default:
      return "EV_SYN";
  }
}

struct Finger {
  int slot = -1;
  double x = 0;
  double y = 0;
  bool lifting = false;  // touch major 0 sent; the slot empties on the next tick
  // The running move, if any: from (fromX, fromY) at fromTick to (toX, toY) at toTick.
  bool moving = false;
  double fromX = 0, fromY = 0, toX = 0, toY = 0;
  std::int64_t fromTick = 0, toTick = 0;
};

// What the kernel last reported for a slot; evdev only reports values that changed.
struct SlotState {
  std::int32_t trackingID = -1;
  std::int32_t major = 0;
  std::int32_t minor = 0;
  std::int32_t orientation = 0;
  std::int32_t x = 0;
  std::int32_t y = 0;
  bool used = false;
};

// A quantity spread evenly over the ticks of a range, handed out in whole units.
struct Spread {
  std::uint16_t code = 0;
  double total = 0;
  std::int64_t fromTick = 0;
  std::int64_t toTick = 0;
  std::int64_t emitted = 0;
};

class Writer {
 public:
  explicit Writer(std::string& out) : out_(out) {}

  void event(std::int64_t time, std::uint16_t type, std::uint16_t code, std::int32_t value) {
    char line[160];
    if (type == EV_SYN) {
      const long long sinceMs = lastReport_ < 0 ? 0 : (time - lastReport_) / 1000;
      std::snprintf(line, sizeof line,
                    "E: %lld.%06lld %04x %04x %04d\t# ------------ SYN_REPORT (0) ---------- "
                    "+%lldms\n",
                    static_cast<long long>(time / 1'000'000),
                    static_cast<long long>(time % 1'000'000), type, code, value, sinceMs);
      lastReport_ = time;
    } else {
      std::snprintf(line, sizeof line, "E: %lld.%06lld %04x %04x %04d\t# %s / %-20s %d\n",
                    static_cast<long long>(time / 1'000'000),
                    static_cast<long long>(time % 1'000'000), type, code, value, typeName(type),
                    codeName(type, code), value);
    }
    out_ += line;
  }

 private:
  std::string& out_;
  std::int64_t lastReport_ = -1;
};

}  // namespace

std::variant<SessionSynthesizer, SessionScript::Error> SessionSynthesizer::forRecording(
    std::string_view text, const std::string& file) {
  SessionSynthesizer synthesizer;
  auto fail = [&file](std::size_t line, std::string message) {
    return SessionScript::Error{file, line, std::move(message)};
  };
  // The description runs from the device name (evemu-record's comment before the `N:` line, or
  // the `N:` line itself) to the first event; the recording's kernel and machine comments before
  // it say nothing about the device and stay out.
  std::optional<std::size_t> first;
  bool named = false;
  bool sawX = false;
  bool sawY = false;
  bool sawSlots = false;
  const std::vector<std::string_view> lines = linesOf(text);
  std::size_t number = 0;
  for (; number < lines.size(); ++number) {
    const std::string_view line = lines[number];
    if (line.starts_with("E:")) {
      break;
    }
    if (!first && (line.starts_with("# Input device name:") || line.starts_with("N:"))) {
      first = number;
    }
    if (!first) {
      continue;
    }
    synthesizer.header_.append(line).push_back('\n');
    named = named || line.starts_with("N:");
    if (!line.starts_with("A:")) {
      continue;
    }
    if (auto range = axisRange(line, ABS_MT_POSITION_X)) {
      synthesizer.x_ = {range->first, range->second};
      sawX = true;
    } else if (auto range = axisRange(line, ABS_MT_POSITION_Y)) {
      synthesizer.y_ = {range->first, range->second};
      sawY = true;
    } else if (auto range = axisRange(line, ABS_MT_SLOT)) {
      sawSlots = range->first == 0 && range->second < maxSlotCount;
      synthesizer.slotCount_ = sawSlots ? range->second + 1 : 0;
    }
  }
  if (!named) {
    return fail(0, "no device description (an `N:` line) before the first event");
  }
  if (!sawX || !sawY || !sawSlots) {
    return fail(number,
                "the device has no multitouch slots and positions (ABS_MT_SLOT, "
                "ABS_MT_POSITION_X and ABS_MT_POSITION_Y)");
  }
  return synthesizer;
}

std::variant<SessionSynthesizer, SessionScript::Error> SessionSynthesizer::forRecordingFile(
    const std::string& path) {
  const fileio::ReadResult read = fileio::readWholeFile(path);
  if (!read.bytes) {
    return SessionScript::Error{path, 0, "cannot read: " + read.error};
  }
  return forRecording(*read.bytes, path);
}

std::int32_t SessionSynthesizer::rawX(double x) const {
  return static_cast<std::int32_t>(std::lround(x_.minimum + x * (x_.maximum - x_.minimum)));
}

// evdev y grows towards the palm; script y grows towards the front of the mouse.
std::int32_t SessionSynthesizer::rawY(double y) const {
  return static_cast<std::int32_t>(std::lround(y_.minimum + (1.0 - y) * (y_.maximum - y_.minimum)));
}

std::variant<std::string, SessionScript::Error> SessionSynthesizer::render(
    const SessionScript& script, const std::string& description) const {
  std::string out = "# EVEMU 1.3\n";
  if (!description.empty()) {
    out += "# " + description + "\n";
  }
  out += header_;
  Writer writer(out);

  const auto& commands = script.commands();
  const int slotCount = slotCount_;
  std::map<std::string, Finger> fingers;
  std::vector<SlotState> slots(static_cast<std::size_t>(slotCount));
  std::vector<Spread> spreads;
  std::int32_t nextTrackingID = firstTrackingID;
  int currentSlot = -1;
  std::size_t next = 0;

  std::int64_t lastTick = 0;
  for (const auto& command : commands) {
    lastTick = std::max(lastTick, tickAt(command.endSeconds) + 1);
  }

  auto fail = [](const SessionScript::Command& command, std::string message) {
    return SessionScript::Error{command.file, command.line, std::move(message)};
  };

  for (std::int64_t tick = 0; tick <= lastTick; ++tick) {
    const std::int64_t time = tickTime(tick);
    bool pressed = false;
    bool released = false;
    std::vector<int> emptiedSlots;

    // Fingers announced as lifting on the previous tick leave their slot now.
    for (auto it = fingers.begin(); it != fingers.end();) {
      if (it->second.lifting) {
        emptiedSlots.push_back(it->second.slot);
        it = fingers.erase(it);
      } else {
        ++it;
      }
    }

    for (; next < commands.size() && tickAt(commands[next].startSeconds) <= tick; ++next) {
      const auto& command = commands[next];
      const std::int64_t endTick = tickAt(command.endSeconds);
      switch (command.kind) {
        case SessionScript::Kind::down: {
          if (fingers.count(command.finger) != 0) {
            return fail(command, "finger '" + command.finger + "' is already down");
          }
          int slot = 0;
          while (slot < slotCount && (slots[static_cast<std::size_t>(slot)].used ||
                                      std::count(emptiedSlots.begin(), emptiedSlots.end(), slot))) {
            ++slot;
          }
          if (slot == slotCount) {
            return fail(command, "more fingers than the device has slots");
          }
          slots[static_cast<std::size_t>(slot)].used = true;
          Finger finger;
          finger.slot = slot;
          finger.x = command.x;
          finger.y = command.y;
          fingers[command.finger] = finger;
          break;
        }
        case SessionScript::Kind::move: {
          auto it = fingers.find(command.finger);
          if (it == fingers.end() || it->second.lifting) {
            return fail(command, "finger '" + command.finger + "' is not down");
          }
          Finger& finger = it->second;
          finger.moving = true;
          finger.fromX = finger.x;
          finger.fromY = finger.y;
          finger.toX = command.x;
          finger.toY = command.y;
          finger.fromTick = tick;
          finger.toTick = std::max(endTick, tick);
          break;
        }
        case SessionScript::Kind::up: {
          auto it = fingers.find(command.finger);
          if (it == fingers.end() || it->second.lifting) {
            return fail(command, "finger '" + command.finger + "' is not down");
          }
          it->second.lifting = true;
          it->second.moving = false;
          break;
        }
        case SessionScript::Kind::pointer:
          spreads.push_back({REL_X, command.x, tick, std::max(endTick, tick), 0});
          spreads.push_back({REL_Y, command.y, tick, std::max(endTick, tick), 0});
          break;
        case SessionScript::Kind::wheel:
          spreads.push_back({REL_WHEEL, command.x, tick, std::max(endTick, tick), 0});
          break;
        case SessionScript::Kind::hwheel:
          spreads.push_back({REL_HWHEEL, command.x, tick, std::max(endTick, tick), 0});
          break;
        case SessionScript::Kind::press:
          pressed = true;
          break;
        case SessionScript::Kind::release:
          released = true;
          break;
      }
    }

    // Moves in progress reach their share of the way on this tick.
    for (auto& [name, finger] : fingers) {
      if (!finger.moving) {
        continue;
      }
      const double share =
          finger.toTick == finger.fromTick
              ? 1.0
              : static_cast<double>(tick - finger.fromTick) / (finger.toTick - finger.fromTick);
      finger.x = finger.fromX + (finger.toX - finger.fromX) * share;
      finger.y = finger.fromY + (finger.toY - finger.fromY) * share;
      if (tick >= finger.toTick) {
        finger.moving = false;
      }
    }

    bool any = false;
    auto abs = [&](int slot, std::uint16_t code, std::int32_t value) {
      if (slot != currentSlot) {
        writer.event(time, EV_ABS, ABS_MT_SLOT, slot);
        currentSlot = slot;
      }
      writer.event(time, EV_ABS, code, value);
      any = true;
    };
    for (int slot = 0; slot < slotCount; ++slot) {
      SlotState& state = slots[static_cast<std::size_t>(slot)];
      if (std::count(emptiedSlots.begin(), emptiedSlots.end(), slot) != 0) {
        abs(slot, ABS_MT_TRACKING_ID, -1);
        state.trackingID = -1;
        state.used = false;
        continue;
      }
      const Finger* finger = nullptr;
      for (const auto& [name, candidate] : fingers) {
        if (candidate.slot == slot) {
          finger = &candidate;
        }
      }
      if (finger == nullptr) {
        continue;
      }
      const bool fresh = state.trackingID < 0;
      const std::int32_t major = finger->lifting ? 0 : restingTouchMajor;
      const std::int32_t minor = finger->lifting ? 0 : restingTouchMinor;
      const std::int32_t x = rawX(finger->x);
      const std::int32_t y = rawY(finger->y);
      if (fresh) {
        state.trackingID = nextTrackingID++;
        abs(slot, ABS_MT_TRACKING_ID, state.trackingID);
      }
      if (major != state.major) {
        abs(slot, ABS_MT_TOUCH_MAJOR, state.major = major);
      }
      if (minor != state.minor) {
        abs(slot, ABS_MT_TOUCH_MINOR, state.minor = minor);
      }
      if (fresh && state.orientation != 0) {
        abs(slot, ABS_MT_ORIENTATION, state.orientation = 0);
      }
      if (x != state.x) {
        abs(slot, ABS_MT_POSITION_X, state.x = x);
      }
      if (y != state.y) {
        abs(slot, ABS_MT_POSITION_Y, state.y = y);
      }
    }

    // Relative motion spread over time: on each tick every spread of `code` gives what it owes
    // by then, whole units only, so the totals come out exact.
    auto relative = [&](std::uint16_t code) {
      std::int64_t sum = 0;
      for (Spread& spread : spreads) {
        if (spread.code != code || tick < spread.fromTick || tick > spread.toTick) {
          continue;
        }
        const double share =
            spread.toTick == spread.fromTick
                ? 1.0
                : static_cast<double>(tick - spread.fromTick) / (spread.toTick - spread.fromTick);
        const std::int64_t due = std::llround(spread.total * share);
        sum += due - spread.emitted;
        spread.emitted = due;
      }
      if (sum != 0) {
        writer.event(time, EV_REL, code, static_cast<std::int32_t>(sum));
        any = true;
      }
    };
    relative(REL_X);
    relative(REL_Y);
    if (pressed || released) {
      writer.event(time, EV_MSC, MSC_SCAN, buttonScanCode);
      writer.event(time, EV_KEY, BTN_LEFT, pressed ? 1 : 0);
      any = true;
    }
    relative(REL_WHEEL);
    relative(REL_HWHEEL);
    if (any) {
      writer.event(time, EV_SYN, SYN_REPORT, 0);
    }
  }
  if (!fingers.empty()) {
    const auto& command = commands.back();
    return fail(command, "finger '" + fingers.begin()->first + "' never lifts");
  }
  return out;
}

std::variant<std::string, SessionScript::Error> SessionSynthesizer::renderScriptFile(
    const std::string& path) const {
  const std::filesystem::path script(path);
  const fileio::ReadResult read = fileio::readWholeFile(script);
  if (!read.bytes) {
    return SessionScript::Error{path, 0, "cannot read: " + read.error};
  }
  const std::filesystem::path directory = script.parent_path();
  auto parsed = SessionScript::parse(*read.bytes, script.filename().string(),
                                     [&directory](const std::string& name) {
                                       return fileio::readWholeFile(directory / name).bytes;
                                     });
  if (auto* error = std::get_if<SessionScript::Error>(&parsed)) {
    return *error;
  }
  return render(std::get<SessionScript>(parsed),
                "Generated by tools/SessionGenerator from " + script.filename().string() +
                    "; device header of a real Magic Mouse recording");
}

}  // namespace tactora
