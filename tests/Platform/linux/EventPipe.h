#pragma once

// What the Linux backend's tests write events into and read them back from, and the text they
// compare: one line per report.

#include <fcntl.h>
#include <libevdev/libevdev.h>
#include <linux/input.h>
#include <unistd.h>

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "Platform/UniqueFd.h"

namespace tactora::lx {

inline input_event inputEvent(std::uint16_t type, std::uint16_t code, std::int32_t value) {
  return {{}, type, code, value};
}

// Reports as lines: "+LEFTCTRL +H" (presses "+", releases "-"), "X 3 WHEEL_HI_RES 120" (relative
// axes with their value), "+BTN_LEFT", "MSC_SCAN 589825"; events after the last SYN_REPORT as an
// "unfinished: " line.
inline std::vector<std::string> reportLines(std::span<const input_event> events) {
  std::vector<std::string> lines;
  std::string line;
  for (const input_event& event : events) {
    if (event.type == EV_SYN && event.code == SYN_REPORT) {
      lines.push_back(line);
      line.clear();
      continue;
    }
    std::string name = libevdev_event_code_get_name(event.type, event.code);
    for (const char* prefix : {"KEY_", "REL_"}) {
      if (name.rfind(prefix, 0) == 0) {
        name.erase(0, 4);
      }
    }
    line += line.empty() ? "" : " ";
    line += event.type == EV_KEY ? (event.value ? "+" : "-") + name
                                 : name + " " + std::to_string(event.value);
  }
  if (!line.empty()) {
    lines.push_back("unfinished: " + line);
  }
  return lines;
}

// A non-blocking pipe standing in for a uinput device: what is written to `write` is read back
// from `read`, event by event.
struct EventPipe {
  EventPipe() {
    int fds[2];
    if (::pipe2(fds, O_NONBLOCK | O_CLOEXEC) == 0) {
      read.reset(fds[0]);
      write.reset(fds[1]);
    }
  }
  // Every event written since the last call.
  std::vector<input_event> drain() const {
    std::vector<input_event> events;
    input_event event{};
    while (::read(read.get(), &event, sizeof event) == static_cast<ssize_t>(sizeof event)) {
      events.push_back(event);
    }
    return events;
  }
  std::vector<std::string> reports() const { return reportLines(drain()); }

  platform::UniqueFd read;
  platform::UniqueFd write;
};

}  // namespace tactora::lx
