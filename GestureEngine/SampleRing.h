#pragma once

#include <array>
#include <cstddef>

#include "GestureEngine/PointF.h"

namespace tactora {

// The six most recent (position, time) samples of one contact, in fixed storage, so a contact's
// recent path can be examined at lift without keeping its whole history.
class SampleRing {
 public:
  static constexpr std::size_t capacity = 6;

  SampleRing();

  void push(PointF position, double timeSeconds);

  std::size_t count() const { return count_; }
  bool empty() const { return count_ == 0; }

  // The sample `age` places older than the newest (0 is the newest); `age` must be below count().
  PointF position(std::size_t age) const { return positions_[slot(age)]; }
  double time(std::size_t age) const { return times_[slot(age)]; }

 private:
  std::size_t slot(std::size_t age) const { return (next_ + capacity - 1 - age) % capacity; }

  std::array<PointF, capacity> positions_{};
  std::array<double, capacity> times_{};
  std::size_t next_ = 0;
  std::size_t count_ = 0;
};

}  // namespace tactora
