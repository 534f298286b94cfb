#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tactora::platform {

// A recorded input session of one evdev device, as `evemu-record` writes it: the device's
// description (name, ids, properties, event bits, axis ranges) and its events in order.
struct EvemuRecording {
  struct DeviceId {
    std::uint16_t bustype = 0;
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::uint16_t version = 0;
    bool operator==(const DeviceId&) const = default;
  };

  // One `A:` line: an absolute axis and its range.
  struct Axis {
    std::uint16_t code = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::int32_t fuzz = 0;
    std::int32_t flat = 0;
    std::int32_t resolution = 0;
    bool operator==(const Axis&) const = default;
  };

  // One `E:` line. The time is kept in whole microseconds, as written, so nothing is lost to
  // floating point before the replay decides how to use it.
  struct Event {
    std::int64_t timeMicroseconds = 0;
    std::uint16_t type = 0;
    std::uint16_t code = 0;
    std::int32_t value = 0;
    bool operator==(const Event&) const = default;
  };

  std::string name;
  std::optional<DeviceId> id;
  std::vector<std::uint8_t> properties;
  // Indexed by event type (0..EV_MAX); each holds the bytes of the type's `B:` lines, in order.
  std::vector<std::vector<std::uint8_t>> eventBits;
  std::vector<Axis> axes;
  std::vector<Event> events;

  // The `A:` line of `code`, if the recording has one.
  const Axis* axis(std::uint16_t code) const;
};

}  // namespace tactora::platform
