#pragma once

#include <cstdint>
#include <functional>

namespace tactora {

// A source of monotonic uptime in seconds. Recognizers take one so tests can drive time by hand;
// production uses monotonicUptimeSeconds.
using UptimeClock = std::function<double()>;

// CLOCK_MONOTONIC in seconds: it does not jump with the wall clock and does not advance during
// suspend, which is what contact durations need.
double monotonicUptimeSeconds();

// A nanosecond count as seconds, divided in one step so the result is the double nearest to the
// exact value (adding whole seconds and a separately rounded fraction can be off by one unit).
double uptimeSecondsFromNanoseconds(std::uint64_t nanoseconds);

}  // namespace tactora
