#pragma once

#include <cstdint>
#include <fstream>
#include <string>

#include "Platform/evdev/EvemuRecording.h"

struct libevdev;

namespace tactora {

// Writes what a live device sends in the evemu text format, which `tactora replay` reads back:
// the device's description, then one line per event with its time since the first event.
class EvemuRecorder {
 public:
  // The description of an opened device (name, ids, properties, event codes, axes), no events.
  static platform::EvemuRecording describe(const libevdev* device);

  // Opens `path` for writing and writes `device`'s description; `ok()` says whether it worked.
  EvemuRecorder(const std::string& path, const platform::EvemuRecording& device);
  bool ok() const { return static_cast<bool>(out_); }

  void write(const platform::EvemuRecording::Event& event);
  void flush() { out_.flush(); }

 private:
  std::ofstream out_;
  bool started_ = false;
  std::int64_t firstMicroseconds_ = 0;
};

}  // namespace tactora
