#pragma once

#include <string>
#include <variant>

#include "Platform/linux/input/UniqueFd.h"

struct libevdev;

namespace tactora::lx {

// Creates the uinput clone of a grabbed mouse: its identity and every event it can send except
// the absolute (touch) axes, with our marker in front of its phys. Creating is all ioctls; the
// events are written to the returned descriptor (see UinputWriter). Closing the descriptor
// destroys the device, and the kernel releases whatever it held.
class UinputClone {
 public:
  static constexpr const char* uinputPath = "/dev/uinput";

  struct Error {
    int error = 0;
    std::string what;  // "open /dev/uinput: No such file or directory"
  };
  using Result = std::variant<UniqueFd, Error>;

  // `source` describes the mouse; `physSuffix` follows our marker in the clone's phys.
  static Result create(const libevdev* source, const std::string& physSuffix);
};

}  // namespace tactora::lx
