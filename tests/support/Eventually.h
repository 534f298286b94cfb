#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace tactora::testing {

// Polls `condition` every few milliseconds until it holds or `timeout` passes; generous by
// default, for a loaded two-core machine.
inline bool eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace tactora::testing
