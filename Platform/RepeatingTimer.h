#pragma once

#include <atomic>
#include <functional>
#include <memory>

namespace tactora::platform {

// A timer that fires on its queue or run loop every `intervalSeconds` until invalidated. The
// queue keeps it alive while it is valid; the owner keeps it to invalidate it. Invalidating from
// inside its own handler is allowed and stops further firings.
class RepeatingTimer {
 public:
  RepeatingTimer(double intervalSeconds, std::function<void()> fire)
      : intervalSeconds_(intervalSeconds), fire_(std::move(fire)) {}

  RepeatingTimer(const RepeatingTimer&) = delete;
  RepeatingTimer& operator=(const RepeatingTimer&) = delete;

  double intervalSeconds() const { return intervalSeconds_; }
  void invalidate() { valid_.store(false, std::memory_order_release); }
  bool isValid() const { return valid_.load(std::memory_order_acquire); }

  // A watchdog only looks after something: each firing checks, and repairs at once what it finds
  // wrong. Over a stretch where nothing but watchdogs would run, the last firing finds what all
  // of them would have found, so a simulated timeline may skip the others (a recording with a
  // pause of days replays at once). Marked by the owner right after scheduling.
  void markAsWatchdog() { watchdog_.store(true, std::memory_order_release); }
  bool isWatchdog() const { return watchdog_.load(std::memory_order_acquire); }

  // Runs the handler once if still valid. Called by the queue that holds the timer.
  void fire();

 private:
  double intervalSeconds_;
  std::function<void()> fire_;
  std::atomic<bool> valid_{true};
  std::atomic<bool> watchdog_{false};
};

}  // namespace tactora::platform
