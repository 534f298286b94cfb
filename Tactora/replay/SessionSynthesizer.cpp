#include "Tactora/replay/SessionSynthesizer.h"

#include <linux/input-event-codes.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <map>

#include "Tactora/config/FileIO.h"

namespace tactora {
namespace {

// The device description of a real first-generation Magic Mouse recording, so that generated
// sessions are read with exactly the axes, ranges and resolutions the real device advertises.
constexpr std::string_view magicMouseHeader = R"(# Input device name: "mouses"
# Input device ID: bus 0x05 vendor 0x5ac product 0x30d version 0x306
# Supported events:
#   Event type 0 (EV_SYN)
#     Event code 0 (SYN_REPORT)
#     Event code 1 (SYN_CONFIG)
#     Event code 2 (SYN_MT_REPORT)
#     Event code 3 (SYN_DROPPED)
#     Event code 4 ((null))
#     Event code 5 ((null))
#     Event code 6 ((null))
#     Event code 7 ((null))
#     Event code 8 ((null))
#     Event code 9 ((null))
#     Event code 10 ((null))
#     Event code 11 ((null))
#     Event code 12 ((null))
#     Event code 13 ((null))
#     Event code 14 ((null))
#   Event type 1 (EV_KEY)
#     Event code 272 (BTN_LEFT)
#     Event code 273 (BTN_RIGHT)
#     Event code 274 (BTN_MIDDLE)
#   Event type 2 (EV_REL)
#     Event code 0 (REL_X)
#     Event code 1 (REL_Y)
#     Event code 6 (REL_HWHEEL)
#     Event code 8 (REL_WHEEL)
#   Event type 3 (EV_ABS)
#     Event code 47 (ABS_MT_SLOT)
#       Value      7
#       Min        0
#       Max       15
#       Fuzz       0
#       Flat       0
#       Resolution 0
#     Event code 48 (ABS_MT_TOUCH_MAJOR)
#       Value      0
#       Min        0
#       Max     1020
#       Fuzz       4
#       Flat       0
#       Resolution 0
#     Event code 49 (ABS_MT_TOUCH_MINOR)
#       Value      0
#       Min        0
#       Max     1020
#       Fuzz       4
#       Flat       0
#       Resolution 0
#     Event code 52 (ABS_MT_ORIENTATION)
#       Value      0
#       Min      -31
#       Max       32
#       Fuzz       1
#       Flat       0
#       Resolution 0
#     Event code 53 (ABS_MT_POSITION_X)
#       Value      0
#       Min    -1100
#       Max     1258
#       Fuzz       4
#       Flat       0
#       Resolution 26
#     Event code 54 (ABS_MT_POSITION_Y)
#       Value      0
#       Min    -1589
#       Max     2047
#       Fuzz       4
#       Flat       0
#       Resolution 70
#     Event code 57 (ABS_MT_TRACKING_ID)
#       Value      0
#       Min        0
#       Max    65535
#       Fuzz       0
#       Flat       0
#       Resolution 0
#   Event type 4 (EV_MSC)
#     Event code 4 (MSC_SCAN)
# Properties:
N: mouses
I: 0005 05ac 030d 0306
P: 00 00 00 00 00 00 00 00
B: 00 0b 00 00 00 00 00 00 00
B: 01 00 00 00 00 00 00 00 00
B: 01 00 00 00 00 00 00 00 00
B: 01 00 00 00 00 00 00 00 00
B: 01 00 00 00 00 00 00 00 00
B: 01 00 00 07 00 00 00 00 00
B: 01 00 00 00 00 00 00 00 00
B: 01 00 00 00 00 00 00 00 00
B: 01 00 00 00 00 00 00 00 00
B: 01 00 00 00 00 00 00 00 00
B: 01 00 00 00 00 00 00 00 00
B: 01 00 00 00 00 00 00 00 00
B: 01 00 00 00 00 00 00 00 00
B: 02 43 01 00 00 00 00 00 00
B: 03 00 00 00 00 00 80 73 02
B: 04 10 00 00 00 00 00 00 00
B: 05 00 00 00 00 00 00 00 00
B: 11 00 00 00 00 00 00 00 00
B: 12 00 00 00 00 00 00 00 00
B: 14 00 00 00 00 00 00 00 00
B: 15 00 00 00 00 00 00 00 00
B: 15 00 00 00 00 00 00 00 00
A: 2f 0 15 0 0 0
A: 30 0 1020 4 0 0
A: 31 0 1020 4 0 0
A: 34 -31 32 1 0 0
A: 35 -1100 1258 4 0 26
A: 36 -1589 2047 4 0 70
A: 39 0 65535 0 0 0
################################
#      Waiting for events      #
################################
)";

constexpr std::int32_t xMinimum = -1100;
constexpr std::int32_t xMaximum = 1258;
constexpr std::int32_t yMinimum = -1589;
constexpr std::int32_t yMaximum = 2047;
constexpr int slotCount = 16;
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

std::int32_t rawX(double x) {
  return static_cast<std::int32_t>(std::lround(xMinimum + x * (xMaximum - xMinimum)));
}

// evdev y grows towards the palm; script y grows towards the front of the mouse.
std::int32_t rawY(double y) {
  return static_cast<std::int32_t>(std::lround(yMinimum + (1.0 - y) * (yMaximum - yMinimum)));
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

std::variant<std::string, TouchScript::Error> SessionSynthesizer::render(
    const TouchScript& script, const std::string& description) {
  std::string out = "# EVEMU 1.3\n";
  if (!description.empty()) {
    out += "# " + description + "\n";
  }
  out += magicMouseHeader;
  Writer writer(out);

  const auto& commands = script.commands();
  std::map<std::string, Finger> fingers;
  std::array<SlotState, slotCount> slots{};
  std::vector<Spread> spreads;
  std::int32_t nextTrackingID = firstTrackingID;
  int currentSlot = -1;
  std::size_t next = 0;

  std::int64_t lastTick = 0;
  for (const auto& command : commands) {
    lastTick = std::max(lastTick, tickAt(command.endSeconds) + 1);
  }

  auto fail = [](const TouchScript::Command& command, std::string message) {
    return TouchScript::Error{command.file, command.line, std::move(message)};
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
        case TouchScript::Kind::down: {
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
        case TouchScript::Kind::move: {
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
        case TouchScript::Kind::up: {
          auto it = fingers.find(command.finger);
          if (it == fingers.end() || it->second.lifting) {
            return fail(command, "finger '" + command.finger + "' is not down");
          }
          it->second.lifting = true;
          it->second.moving = false;
          break;
        }
        case TouchScript::Kind::pointer:
          spreads.push_back({REL_X, command.x, tick, std::max(endTick, tick), 0});
          spreads.push_back({REL_Y, command.y, tick, std::max(endTick, tick), 0});
          break;
        case TouchScript::Kind::wheel:
          spreads.push_back({REL_WHEEL, command.x, tick, std::max(endTick, tick), 0});
          break;
        case TouchScript::Kind::hwheel:
          spreads.push_back({REL_HWHEEL, command.x, tick, std::max(endTick, tick), 0});
          break;
        case TouchScript::Kind::press:
          pressed = true;
          break;
        case TouchScript::Kind::release:
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

std::variant<std::string, TouchScript::Error> SessionSynthesizer::renderScriptFile(
    const std::string& path) {
  const std::filesystem::path script(path);
  const fileio::ReadResult read = fileio::readWholeFile(script);
  if (!read.bytes) {
    return TouchScript::Error{path, 0, "cannot read: " + read.error};
  }
  const std::filesystem::path directory = script.parent_path();
  auto parsed = TouchScript::parse(*read.bytes, script.filename().string(),
                                   [&directory](const std::string& name) {
                                     return fileio::readWholeFile(directory / name).bytes;
                                   });
  if (auto* error = std::get_if<TouchScript::Error>(&parsed)) {
    return *error;
  }
  return render(std::get<TouchScript>(parsed),
                "Generated by tools/SessionGenerator from " + script.filename().string() +
                    "; device header of a real Magic Mouse recording");
}

}  // namespace tactora
