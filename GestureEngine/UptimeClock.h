#pragma once

#include <functional>

namespace tactora {

// A source of monotonic uptime in seconds. Recognizers take one so tests can drive time by hand;
// production uses monotonicUptimeSeconds.
using UptimeClock = std::function<double()>;

// CLOCK_MONOTONIC in seconds: it does not jump with the wall clock and does not advance during
// suspend, which is what contact durations need.
double monotonicUptimeSeconds();

}  // namespace tactora
