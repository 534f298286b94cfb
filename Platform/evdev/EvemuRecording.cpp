#include "Platform/evdev/EvemuRecording.h"

namespace tactora::platform {

const EvemuRecording::Axis* EvemuRecording::axis(std::uint16_t code) const {
  for (const Axis& candidate : axes) {
    if (candidate.code == code) {
      return &candidate;
    }
  }
  return nullptr;
}

}  // namespace tactora::platform
