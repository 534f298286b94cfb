#include "GestureEngine/TouchPhase.h"

namespace tactora {

std::optional<TouchPhase> touchPhaseFromRaw(std::uint8_t raw) {
  if (raw > 2) {
    return std::nullopt;
  }
  return static_cast<TouchPhase>(raw);
}

std::string_view toString(TouchPhase phase) {
  switch (phase) {
    case TouchPhase::began:
      return "began";
    case TouchPhase::moved:
      return "moved";
    case TouchPhase::ended:
      return "ended";
  }
  return "?";
}

}  // namespace tactora
