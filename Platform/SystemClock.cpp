#include "Platform/SystemClock.h"

#include <ctime>

namespace tactora::platform {

namespace {

double readSeconds(clockid_t clock) {
  timespec now{};
  ::clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

}  // namespace

double SystemClock::uptimeSeconds() const {
  return readSeconds(CLOCK_MONOTONIC);
}

double SystemClock::wallClockSeconds() const {
  return readSeconds(CLOCK_REALTIME);
}

}  // namespace tactora::platform
