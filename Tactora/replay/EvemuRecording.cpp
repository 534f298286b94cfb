#include "Tactora/replay/EvemuRecording.h"

namespace tactora {

const EvemuRecording::Axis* EvemuRecording::axis(std::uint16_t code) const {
  for (const Axis& candidate : axes) {
    if (candidate.code == code) {
      return &candidate;
    }
  }
  return nullptr;
}

}  // namespace tactora
