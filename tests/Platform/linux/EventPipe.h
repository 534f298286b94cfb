#pragma once

// What the Linux backend's tests write events into and read them back from.

#include <fcntl.h>
#include <linux/input.h>
#include <unistd.h>

#include <cstdint>
#include <vector>

#include "Platform/UniqueFd.h"

namespace tactora::lx {

inline input_event inputEvent(std::uint16_t type, std::uint16_t code, std::int32_t value) {
  input_event event{};
  event.type = type;
  event.code = code;
  event.value = value;
  return event;
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

  platform::UniqueFd read;
  platform::UniqueFd write;
};

}  // namespace tactora::lx
