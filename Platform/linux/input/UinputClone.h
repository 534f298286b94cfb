#pragma once

#include <linux/input.h>

#include <array>
#include <string>
#include <variant>

#include "Platform/UniqueFd.h"
#include "Platform/linux/SystemError.h"

struct libevdev;

namespace tactora::lx {

// Creates the uinput clone of a grabbed mouse: its identity and every event it can send except
// the absolute (touch) axes, with our marker in front of its phys, plus every button and axis the
// application's synthetic input writes (a mouse without a middle button or hi-res wheels still
// gets them, so a click or scroll written to the clone is never dropped by the kernel). Creating is
// all ioctls; the events are written to the returned descriptor (see UinputWriter). Closing the
// descriptor destroys the device, and the kernel releases whatever it held.
class UinputClone {
 public:
  static constexpr const char* uinputPath = "/dev/uinput";

  using Result = std::variant<platform::UniqueFd, SystemError>;

  // What synthetic input writes to a pointer device, the clone or our own virtual pointer.
  static constexpr std::array<unsigned, 5> pointerButtons{BTN_LEFT, BTN_RIGHT, BTN_MIDDLE, BTN_SIDE,
                                                          BTN_EXTRA};
  static constexpr std::array<unsigned, 6> pointerAxes{
      REL_X, REL_Y, REL_WHEEL, REL_HWHEEL, REL_WHEEL_HI_RES, REL_HWHEEL_HI_RES};

  // `source` describes the mouse; `physSuffix` follows our marker in the clone's phys.
  static Result create(const libevdev* source, const std::string& physSuffix);
};

}  // namespace tactora::lx
