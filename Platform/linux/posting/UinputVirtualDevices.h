#pragma once

#include <variant>

#include "Platform/UniqueFd.h"
#include "Platform/linux/SystemError.h"

namespace tactora::lx {

// Creates the virtual devices synthetic input leaves through: a keyboard with every keyboard key
// (no auto-repeat: a held key is held, not typed again), and a pointer of our own for when there
// is no mouse clone (three buttons, side and extra, relative motion, both wheels with their
// hi-res twins). Both carry our marker in their phys, so our own taps never read them. Created
// once at start: a desktop needs a moment to take a new device. Closing the descriptor destroys
// the device, and the kernel lets go of every key and button it held.
class UinputVirtualDevices {
 public:
  using Result = std::variant<platform::UniqueFd, SystemError>;

  UinputVirtualDevices() = delete;

  static Result createKeyboard();
  static Result createPointer();
};

}  // namespace tactora::lx
