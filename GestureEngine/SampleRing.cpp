#include "GestureEngine/SampleRing.h"

#include <algorithm>
#include <limits>

namespace tactora {

SampleRing::SampleRing() {
  times_.fill(-std::numeric_limits<double>::infinity());
}

void SampleRing::push(PointF position, double timeSeconds) {
  positions_[next_] = position;
  times_[next_] = timeSeconds;
  next_ = (next_ + 1) % capacity;
  count_ = std::min(count_ + 1, capacity);
}

}  // namespace tactora
