#include "Platform/linux/battery/UPowerReader.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace tactora::lx {

namespace {

// UPower's device kinds we accept: a mouse, or a battery of a device (PowerSupply false) when
// UPower does not know the kind (Debian 12's reports a Bluetooth mouse's supply that way).
constexpr std::uint32_t kindBattery = 2;
constexpr std::uint32_t kindMouse = 5;

struct DeviceProperties {
  std::uint32_t type = 0;
  bool powerSupply = true;
  bool isPresent = false;
  std::string nativePath;
  std::string model;
  std::string serial;
  double percentage = 0;
  std::uint32_t state = 0;
};

int readString(sd_bus_message* message, std::string& into) {
  const char* text = nullptr;
  const int result = sd_bus_message_read(message, "v", "s", &text);
  if (result >= 0 && text != nullptr) {
    into = text;
  }
  return result;
}

int readBool(sd_bus_message* message, bool& into) {
  int value = 0;
  const int result = sd_bus_message_read(message, "v", "b", &value);
  into = value != 0;
  return result;
}

// One a{sv} of org.freedesktop.UPower.Device; members of other types than UPower's are skipped.
int readProperties(sd_bus_message* message, DeviceProperties& properties) {
  int result = sd_bus_message_enter_container(message, 'a', "{sv}");
  while (result >= 0 && (result = sd_bus_message_enter_container(message, 'e', "sv")) > 0) {
    const char* key = nullptr;
    const char* contents = nullptr;
    result = sd_bus_message_read(message, "s", &key);
    if (result >= 0) {
      result = sd_bus_message_peek_type(message, nullptr, &contents);
    }
    if (result < 0) {
      break;
    }
    const std::string name = key;
    const std::string signature = contents != nullptr ? contents : "";
    if (name == "Type" && signature == "u") {
      result = sd_bus_message_read(message, "v", "u", &properties.type);
    } else if (name == "State" && signature == "u") {
      result = sd_bus_message_read(message, "v", "u", &properties.state);
    } else if (name == "Percentage" && signature == "d") {
      result = sd_bus_message_read(message, "v", "d", &properties.percentage);
    } else if (name == "PowerSupply" && signature == "b") {
      result = readBool(message, properties.powerSupply);
    } else if (name == "IsPresent" && signature == "b") {
      result = readBool(message, properties.isPresent);
    } else if (name == "NativePath" && signature == "s") {
      result = readString(message, properties.nativePath);
    } else if (name == "Model" && signature == "s") {
      result = readString(message, properties.model);
    } else if (name == "Serial" && signature == "s") {
      result = readString(message, properties.serial);
    } else {
      result = sd_bus_message_skip(message, "v");
    }
    if (result >= 0) {
      result = sd_bus_message_exit_container(message);
    }
  }
  if (result >= 0) {
    result = sd_bus_message_exit_container(message);
  }
  return result;
}

bool sameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

// How well `device` matches `mouse`: 3 by native path, 2 by serial, 1 by model, 0 not at all.
int match(const DeviceProperties& device, const UPowerReader::Mouse& mouse) {
  const bool kind = device.type == kindMouse || (device.type == kindBattery && !device.powerSupply);
  if (!kind) {
    return 0;
  }
  if (!mouse.powerSupplyName.empty() && device.nativePath == mouse.powerSupplyName) {
    return 3;
  }
  if (!mouse.uniq.empty() && sameText(device.serial, mouse.uniq)) {
    return 2;
  }
  if (!mouse.name.empty() && device.model == mouse.name) {
    return 1;
  }
  return 0;
}

}  // namespace

std::optional<std::string> UPowerReader::find(const Mouse& mouse, std::string* problem) const {
  std::vector<std::string> paths;
  std::string failure;
  const int listed = bus_.call(
      {service, "/org/freedesktop/UPower", service, "EnumerateDevices"}, timeout_, nullptr,
      [&paths](sd_bus_message* reply) {
        char** list = nullptr;
        const int result = sd_bus_message_read_strv(reply, &list);
        for (char** entry = list; entry != nullptr && *entry != nullptr; ++entry) {
          paths.emplace_back(*entry);
          std::free(*entry);
        }
        std::free(list);
        return result;
      },
      &failure);
  if (listed < 0) {
    if (problem != nullptr) {
      *problem = listed == -ETIMEDOUT ? "UPower did not answer in time" : "UPower: " + failure;
    }
    return std::nullopt;
  }
  std::optional<std::string> best;
  int bestScore = 0;
  for (const std::string& path : paths) {
    DeviceProperties properties;
    const int read = bus_.call(
        {service, path.c_str(), "org.freedesktop.DBus.Properties", "GetAll"}, timeout_,
        [](sd_bus_message* request) {
          return sd_bus_message_append(request, "s", deviceInterface);
        },
        [&properties](sd_bus_message* reply) { return readProperties(reply, properties); });
    if (read < 0) {
      continue;
    }
    const int score = match(properties, mouse);
    if (score > bestScore) {
      bestScore = score;
      best = path;
    }
  }
  if (!best && problem != nullptr) {
    *problem = "UPower lists no battery of this mouse";
  }
  return best;
}

std::optional<platform::BatteryLevel> UPowerReader::read(const std::string& path) const {
  DeviceProperties properties;
  const int result = bus_.call(
      {service, path.c_str(), "org.freedesktop.DBus.Properties", "GetAll"}, timeout_,
      [](sd_bus_message* request) { return sd_bus_message_append(request, "s", deviceInterface); },
      [&properties](sd_bus_message* reply) { return readProperties(reply, properties); });
  if (result < 0 || !properties.isPresent) {
    return std::nullopt;
  }
  platform::BatteryLevel level;
  level.percentage = static_cast<int>(std::lround(std::clamp(properties.percentage, 0.0, 100.0)));
  level.state = state(properties.state);
  level.source = "UPower " + path;
  return level;
}

platform::BatteryLevel::State UPowerReader::state(std::uint32_t upowerState) {
  using State = platform::BatteryLevel::State;
  switch (upowerState) {
    case 1:  // charging
      return State::charging;
    case 2:  // discharging
    case 3:  // empty
    case 6:  // pending discharge
      return State::discharging;
    case 4:  // fully charged
      return State::full;
    case 5:  // pending charge: plugged in, not charging
      return State::notCharging;
    default:
      return State::unknown;
  }
}

}  // namespace tactora::lx
