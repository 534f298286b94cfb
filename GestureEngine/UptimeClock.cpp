#include "GestureEngine/UptimeClock.h"

#include <ctime>

namespace tactora {

double monotonicUptimeSeconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return uptimeSecondsFromNanoseconds(static_cast<std::uint64_t>(now.tv_sec) * 1'000'000'000u +
                                      static_cast<std::uint64_t>(now.tv_nsec));
}

double uptimeSecondsFromNanoseconds(std::uint64_t nanoseconds) {
  return static_cast<double>(nanoseconds) / 1e9;
}

}  // namespace tactora
