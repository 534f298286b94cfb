#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "Platform/linux/PollThread.h"

namespace tactora::lx {

// Watches logind on the system bus for the end of a suspend: `PrepareForSleep(false)` on
// org.freedesktop.login1.Manager calls `onResume` on the watcher's own thread (`threadName`);
// `PrepareForSleep(true)` is only counted. The thread connects, subscribes, then sleeps on the
// bus until a signal comes or it is stopped, so it costs nothing between signals. Without a system
// bus (containers, CI) one line is logged and the thread ends. Destruction stops and joins it.
class LogindSleepWatcher {
 public:
  static constexpr const char* threadName = "SleepWatcher";

  explicit LogindSleepWatcher(std::function<void()> onResume);
  ~LogindSleepWatcher();
  LogindSleepWatcher(const LogindSleepWatcher&) = delete;
  LogindSleepWatcher& operator=(const LogindSleepWatcher&) = delete;

  // Whether the bus has accepted the subscription, so a signal sent from now on arrives.
  bool isSubscribed() const { return subscribed_.load(); }
  // Whether the thread has given up (no bus, or the bus went away).
  bool hasEnded() const { return ended_.load(); }
  // How many PrepareForSleep signals, of either value, have been handled.
  std::uint64_t signalsHandled() const { return signalsHandled_.load(); }

 private:
  void run(PollThread& thread);
  void handle(bool sleeping);

  std::function<void()> onResume_;
  std::atomic<bool> subscribed_{false};
  std::atomic<bool> ended_{false};
  std::atomic<std::uint64_t> signalsHandled_{0};
  PollThread thread_;  // last: stopped before the rest goes
};

}  // namespace tactora::lx
