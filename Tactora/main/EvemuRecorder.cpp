#include "Tactora/main/EvemuRecorder.h"

#include <libevdev/libevdev.h>
#include <linux/input.h>

#include <cstdio>

namespace tactora {

namespace {

// `bits` as "X: tt bb bb bb bb bb bb bb bb" lines of eight bytes (the format's shape).
void writeBytes(std::ofstream& out, char kind, int type, const std::vector<std::uint8_t>& bits) {
  std::vector<std::uint8_t> padded = bits;
  padded.resize(std::max<std::size_t>((padded.size() + 7) / 8 * 8, 8));
  char text[16];
  for (std::size_t i = 0; i < padded.size(); i += 8) {
    out << kind << ':';
    if (type >= 0) {
      std::snprintf(text, sizeof text, " %02x", type);
      out << text;
    }
    for (std::size_t j = i; j < i + 8; ++j) {
      std::snprintf(text, sizeof text, " %02x", padded[j]);
      out << text;
    }
    out << '\n';
  }
}

}  // namespace

platform::EvemuRecording EvemuRecorder::describe(const libevdev* device) {
  platform::EvemuRecording recording;
  const char* name = libevdev_get_name(device);
  recording.name = name != nullptr ? name : "";
  recording.id = platform::EvemuRecording::DeviceId{
      static_cast<std::uint16_t>(libevdev_get_id_bustype(device)),
      static_cast<std::uint16_t>(libevdev_get_id_vendor(device)),
      static_cast<std::uint16_t>(libevdev_get_id_product(device)),
      static_cast<std::uint16_t>(libevdev_get_id_version(device))};
  recording.properties.assign((INPUT_PROP_MAX + 8) / 8, 0);
  for (unsigned property = 0; property <= INPUT_PROP_MAX; ++property) {
    if (libevdev_has_property(device, property)) {
      recording.properties[property / 8] |= static_cast<std::uint8_t>(1u << (property % 8));
    }
  }
  recording.eventBits.resize(EV_MAX + 1);
  for (unsigned type = 0; type <= EV_MAX; ++type) {
    if (!libevdev_has_event_type(device, type)) {
      continue;
    }
    const int max = libevdev_event_type_get_max(type);
    std::vector<std::uint8_t>& bits = recording.eventBits[type];
    bits.assign(static_cast<std::size_t>(max / 8 + 1), 0);
    for (int code = 0; code <= max; ++code) {
      if (libevdev_has_event_code(device, type, static_cast<unsigned>(code))) {
        bits[static_cast<std::size_t>(code / 8)] |= static_cast<std::uint8_t>(1u << (code % 8));
      }
    }
    if (type == EV_ABS) {
      for (int code = 0; code <= max; ++code) {
        const input_absinfo* info = libevdev_get_abs_info(device, static_cast<unsigned>(code));
        if (info != nullptr &&
            libevdev_has_event_code(device, EV_ABS, static_cast<unsigned>(code))) {
          recording.axes.push_back({static_cast<std::uint16_t>(code), info->minimum, info->maximum,
                                    info->fuzz, info->flat, info->resolution});
        }
      }
    }
  }
  // The type bitmap itself is type 0's codes.
  recording.eventBits[0].assign(EV_MAX / 8 + 1, 0);
  for (unsigned type = 0; type <= EV_MAX; ++type) {
    if (libevdev_has_event_type(device, type)) {
      recording.eventBits[0][type / 8] |= static_cast<std::uint8_t>(1u << (type % 8));
    }
  }
  return recording;
}

EvemuRecorder::EvemuRecorder(const std::string& path, const platform::EvemuRecording& device)
    : out_(path, std::ios::out | std::ios::trunc) {
  if (!out_) {
    return;
  }
  out_ << "# EVEMU 1.3\n# Recorded by tactora monitor\n";
  out_ << "N: " << device.name << '\n';
  char text[64];
  const platform::EvemuRecording::DeviceId id =
      device.id.value_or(platform::EvemuRecording::DeviceId{});
  std::snprintf(text, sizeof text, "I: %04x %04x %04x %04x\n", id.bustype, id.vendor, id.product,
                id.version);
  out_ << text;
  writeBytes(out_, 'P', -1, device.properties);
  for (std::size_t type = 0; type < device.eventBits.size(); ++type) {
    if (!device.eventBits[type].empty()) {
      writeBytes(out_, 'B', static_cast<int>(type), device.eventBits[type]);
    }
  }
  for (const platform::EvemuRecording::Axis& axis : device.axes) {
    std::snprintf(text, sizeof text, "A: %02x %d %d %d %d %d\n", axis.code, axis.minimum,
                  axis.maximum, axis.fuzz, axis.flat, axis.resolution);
    out_ << text;
  }
}

void EvemuRecorder::write(const platform::EvemuRecording::Event& event) {
  if (!started_) {
    started_ = true;
    firstMicroseconds_ = event.timeMicroseconds;
  }
  const std::int64_t micros = event.timeMicroseconds - firstMicroseconds_;
  char text[96];
  std::snprintf(text, sizeof text, "E: %lld.%06lld %04x %04x %04d\n",
                static_cast<long long>(micros / 1000000), static_cast<long long>(micros % 1000000),
                event.type, event.code, event.value);
  out_ << text;
}

}  // namespace tactora
