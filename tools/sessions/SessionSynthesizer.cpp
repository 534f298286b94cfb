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
#include <tuple>
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

// The device's touch surface: its slots and the ranges its positions are reported in.
struct TouchAxes {
  std::int32_t xMinimum = 0;
  std::int32_t xMaximum = 0;
  std::int32_t yMinimum = 0;
  std::int32_t yMaximum = 0;
  int slotCount = 0;

  std::int32_t rawX(double x) const {
    return static_cast<std::int32_t>(std::lround(xMinimum + x * (xMaximum - xMinimum)));
  }
  // evdev y grows towards the palm; script y grows towards the front of the mouse.
  std::int32_t rawY(double y) const {
    return static_cast<std::int32_t>(std::lround(yMinimum + (1.0 - y) * (yMaximum - yMinimum)));
  }
};

// Plays a script's commands tick by tick against the device's slots and writes each tick's
// report: the slots that changed, then pointer motion, the button and the wheels.
class SessionRenderer {
 public:
  SessionRenderer(const TouchAxes& axes, std::string& out)
      : axes_(axes), writer_(out), slots_(static_cast<std::size_t>(axes.slotCount)) {}

  // Renders up to the tick after the last command ends. The first fault of the script (a finger
  // put down twice, moved or lifted while up, more fingers than slots, one that never lifts)
  // ends it.
  std::optional<InputError> run(const std::vector<SessionScript::Command>& commands) {
    std::int64_t lastTick = 0;
    for (const auto& command : commands) {
      lastTick = std::max(lastTick, tickAt(command.endSeconds) + 1);
    }
    std::size_t next = 0;
    for (std::int64_t tick = 0; tick <= lastTick; ++tick) {
      releaseLiftedFingers();
      for (; next < commands.size() && tickAt(commands[next].startSeconds) <= tick; ++next) {
        if (auto error = start(commands[next], tick)) {
          return error;
        }
      }
      advanceMoves(tick);
      writeReport(tick);
    }
    if (!fingers_.empty()) {
      return failure(commands.back(), "finger '" + fingers_.begin()->first + "' never lifts");
    }
    return std::nullopt;
  }

 private:
  static InputError failure(const SessionScript::Command& command, std::string message) {
    return InputError::atLine(command.file, command.line, std::move(message));
  }

  bool emptiedThisTick(int slot) const {
    return std::count(emptiedSlots_.begin(), emptiedSlots_.end(), slot) != 0;
  }

  // Fingers announced as lifting on the previous tick leave their slot now.
  void releaseLiftedFingers() {
    emptiedSlots_.clear();
    for (auto it = fingers_.begin(); it != fingers_.end();) {
      if (it->second.lifting) {
        emptiedSlots_.push_back(it->second.slot);
        it = fingers_.erase(it);
      } else {
        ++it;
      }
    }
  }

  std::optional<InputError> start(const SessionScript::Command& command, std::int64_t tick) {
    const std::int64_t endTick = std::max(tickAt(command.endSeconds), tick);
    switch (command.kind) {
      case SessionScript::Kind::down:
        return putDown(command);
      case SessionScript::Kind::move: {
        auto it = fingers_.find(command.finger);
        if (it == fingers_.end() || it->second.lifting) {
          return failure(command, "finger '" + command.finger + "' is not down");
        }
        Finger& finger = it->second;
        finger.moving = true;
        finger.fromX = finger.x;
        finger.fromY = finger.y;
        finger.toX = command.x;
        finger.toY = command.y;
        finger.fromTick = tick;
        finger.toTick = endTick;
        return std::nullopt;
      }
      case SessionScript::Kind::up: {
        auto it = fingers_.find(command.finger);
        if (it == fingers_.end() || it->second.lifting) {
          return failure(command, "finger '" + command.finger + "' is not down");
        }
        it->second.lifting = true;
        it->second.moving = false;
        return std::nullopt;
      }
      case SessionScript::Kind::pointer:
        spreads_.push_back({REL_X, command.x, tick, endTick, 0});
        spreads_.push_back({REL_Y, command.y, tick, endTick, 0});
        return std::nullopt;
      case SessionScript::Kind::wheel:
        spreads_.push_back({REL_WHEEL, command.x, tick, endTick, 0});
        return std::nullopt;
      case SessionScript::Kind::hwheel:
        spreads_.push_back({REL_HWHEEL, command.x, tick, endTick, 0});
        return std::nullopt;
      case SessionScript::Kind::press:
        pressed_ = true;
        return std::nullopt;
      case SessionScript::Kind::release:
        released_ = true;
        return std::nullopt;
    }
    return std::nullopt;
  }

  // A new finger takes the lowest slot that is free and was not emptied on this very tick.
  std::optional<InputError> putDown(const SessionScript::Command& command) {
    if (fingers_.count(command.finger) != 0) {
      return failure(command, "finger '" + command.finger + "' is already down");
    }
    int slot = 0;
    while (slot < axes_.slotCount &&
           (slots_[static_cast<std::size_t>(slot)].used || emptiedThisTick(slot))) {
      ++slot;
    }
    if (slot == axes_.slotCount) {
      return failure(command, "more fingers than the device has slots");
    }
    slots_[static_cast<std::size_t>(slot)].used = true;
    Finger finger;
    finger.slot = slot;
    finger.x = command.x;
    finger.y = command.y;
    fingers_[command.finger] = finger;
    return std::nullopt;
  }

  // Moves in progress reach their share of the way on this tick.
  void advanceMoves(std::int64_t tick) {
    for (auto& [name, finger] : fingers_) {
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
  }

  void writeReport(std::int64_t tick) {
    time_ = tickTime(tick);
    wroteAny_ = false;
    for (int slot = 0; slot < axes_.slotCount; ++slot) {
      writeSlot(slot);
    }
    writeRelative(tick, REL_X);
    writeRelative(tick, REL_Y);
    if (pressed_ || released_) {
      writer_.event(time_, EV_MSC, MSC_SCAN, buttonScanCode);
      writer_.event(time_, EV_KEY, BTN_LEFT, pressed_ ? 1 : 0);
      wroteAny_ = true;
    }
    pressed_ = false;
    released_ = false;
    writeRelative(tick, REL_WHEEL);
    writeRelative(tick, REL_HWHEEL);
    if (wroteAny_) {
      writer_.event(time_, EV_SYN, SYN_REPORT, 0);
    }
  }

  // The values of `slot` that changed since the last report, as evdev reports them.
  void writeSlot(int slot) {
    SlotState& state = slots_[static_cast<std::size_t>(slot)];
    if (emptiedThisTick(slot)) {
      writeAbs(slot, ABS_MT_TRACKING_ID, -1);
      state.trackingID = -1;
      state.used = false;
      return;
    }
    const Finger* finger = nullptr;
    for (const auto& [name, candidate] : fingers_) {
      if (candidate.slot == slot) {
        finger = &candidate;
      }
    }
    if (finger == nullptr) {
      return;
    }
    const bool fresh = state.trackingID < 0;
    const std::int32_t major = finger->lifting ? 0 : restingTouchMajor;
    const std::int32_t minor = finger->lifting ? 0 : restingTouchMinor;
    const std::int32_t x = axes_.rawX(finger->x);
    const std::int32_t y = axes_.rawY(finger->y);
    if (fresh) {
      state.trackingID = nextTrackingID_++;
      writeAbs(slot, ABS_MT_TRACKING_ID, state.trackingID);
    }
    if (major != state.major) {
      writeAbs(slot, ABS_MT_TOUCH_MAJOR, state.major = major);
    }
    if (minor != state.minor) {
      writeAbs(slot, ABS_MT_TOUCH_MINOR, state.minor = minor);
    }
    if (fresh && state.orientation != 0) {
      writeAbs(slot, ABS_MT_ORIENTATION, state.orientation = 0);
    }
    if (x != state.x) {
      writeAbs(slot, ABS_MT_POSITION_X, state.x = x);
    }
    if (y != state.y) {
      writeAbs(slot, ABS_MT_POSITION_Y, state.y = y);
    }
  }

  void writeAbs(int slot, std::uint16_t code, std::int32_t value) {
    if (slot != currentSlot_) {
      writer_.event(time_, EV_ABS, ABS_MT_SLOT, slot);
      currentSlot_ = slot;
    }
    writer_.event(time_, EV_ABS, code, value);
    wroteAny_ = true;
  }

  // Relative motion spread over time: on each tick every spread of `code` gives what it owes by
  // then, whole units only, so the totals come out exact.
  void writeRelative(std::int64_t tick, std::uint16_t code) {
    std::int64_t sum = 0;
    for (Spread& spread : spreads_) {
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
      writer_.event(time_, EV_REL, code, static_cast<std::int32_t>(sum));
      wroteAny_ = true;
    }
  }

  TouchAxes axes_;
  Writer writer_;
  std::map<std::string, Finger> fingers_;
  std::vector<SlotState> slots_;
  std::vector<Spread> spreads_;
  std::vector<int> emptiedSlots_;  // slots whose finger left on this tick
  std::int32_t nextTrackingID_ = firstTrackingID;
  int currentSlot_ = -1;
  bool pressed_ = false;  // the button's changes on this tick
  bool released_ = false;
  std::int64_t time_ = 0;  // of the report being written, in microseconds
  bool wroteAny_ = false;
};

}  // namespace

Expected<SessionSynthesizer> SessionSynthesizer::forRecording(std::string_view text,
                                                              const std::string& file) {
  SessionSynthesizer synthesizer;
  auto fail = [&file](std::size_t line, std::string message) {
    return InputError::atLine(file, line, std::move(message));
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
      std::tie(synthesizer.xMinimum_, synthesizer.xMaximum_) = *range;
      sawX = true;
    } else if (auto range = axisRange(line, ABS_MT_POSITION_Y)) {
      std::tie(synthesizer.yMinimum_, synthesizer.yMaximum_) = *range;
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

Expected<SessionSynthesizer> SessionSynthesizer::forRecordingFile(const std::string& path) {
  const Expected<std::string> read = fileio::readWholeFile(path);
  if (!read) {
    return InputError::atLine(path, 0, "cannot read: " + read.error().message);
  }
  return forRecording(*read, path);
}

Expected<std::string> SessionSynthesizer::render(const SessionScript& script,
                                                 const std::string& description) const {
  std::string out = "# EVEMU 1.3\n";
  if (!description.empty()) {
    out += "# " + description + "\n";
  }
  out += header_;
  SessionRenderer renderer({xMinimum_, xMaximum_, yMinimum_, yMaximum_, slotCount_}, out);
  if (auto error = renderer.run(script.commands())) {
    return *error;
  }
  return out;
}

Expected<std::string> SessionSynthesizer::renderScriptFile(const std::string& path) const {
  const std::filesystem::path script(path);
  const Expected<std::string> read = fileio::readWholeFile(script);
  if (!read) {
    return InputError::atLine(path, 0, "cannot read: " + read.error().message);
  }
  const std::filesystem::path directory = script.parent_path();
  auto parsed = SessionScript::parse(
      *read, script.filename().string(), [&directory](const std::string& name) {
        Expected<std::string> played = fileio::readWholeFile(directory / name);
        return played ? std::optional<std::string>(std::move(played).value()) : std::nullopt;
      });
  if (!parsed) {
    return std::move(parsed).error();
  }
  return render(*parsed, "Generated by tools/SessionGenerator from " + script.filename().string() +
                             "; device header of a real Magic Mouse recording");
}

}  // namespace tactora
