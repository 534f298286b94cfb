#pragma once

#include <cstdint>

namespace tactora {

// One scroll-wheel axis over one evdev report. A device with high-resolution wheels reports both
// the detents and their 1/120 steps; the detents count then, and only reports with steps alone add
// them up, carrying what falls short of a whole detent to the next report. Sums are wide so that
// a recording of absurd values cannot overflow them.
class WheelAxis {
 public:
  static constexpr std::int32_t hiResUnitsPerDetent = 120;

  void addDetents(std::int32_t value);
  void addHiResSteps(std::int32_t value);

  // The detents of the report that ends now; the axis is then ready for the next report.
  std::int32_t endReport();

 private:
  std::int64_t detents_ = 0;
  std::int64_t hiResSteps_ = 0;
  std::int64_t pendingHiResSteps_ = 0;
  bool hasDetents_ = false;
  bool hasHiResSteps_ = false;
};

}  // namespace tactora
