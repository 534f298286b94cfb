#include "Tactora/replay/WheelAxis.h"

#include <algorithm>
#include <limits>

namespace tactora {

void WheelAxis::addDetents(std::int32_t value) {
  detents_ += value;
  hasDetents_ = true;
}

void WheelAxis::addHiResSteps(std::int32_t value) {
  hiResSteps_ += value;
  hasHiResSteps_ = true;
}

std::int32_t WheelAxis::endReport() {
  std::int64_t detents = detents_;
  if (!hasDetents_ && hasHiResSteps_) {
    pendingHiResSteps_ += hiResSteps_;
    detents = pendingHiResSteps_ / hiResUnitsPerDetent;
    pendingHiResSteps_ %= hiResUnitsPerDetent;
  }
  detents_ = 0;
  hiResSteps_ = 0;
  hasDetents_ = false;
  hasHiResSteps_ = false;
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(
      detents, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
}

}  // namespace tactora
