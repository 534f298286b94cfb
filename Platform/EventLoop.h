#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "Platform/RunLoop.h"

namespace tactora::platform {

// A plain run loop for a real thread: a queue of work and a set of timers on the monotonic clock,
// run in order by `run` on the thread that calls it until `stop`. Serves as the main loop when
// there is no toolkit loop, and as the loop of named threads and the global queue.
class EventLoop final : public RunLoop {
 public:
  EventLoop() = default;
  EventLoop(const EventLoop&) = delete;
  EventLoop& operator=(const EventLoop&) = delete;

  void async(std::function<void()> work) override;
  void asyncAfter(double delaySeconds, std::shared_ptr<WorkItem> item) override;
  using DispatchQueue::asyncAfter;
  std::shared_ptr<RepeatingTimer> scheduleRepeating(double intervalSeconds,
                                                    std::function<void()> fire) override;
  // Tap sources are kept so that a backend's taps can find the loop they deliver on.
  void addTapSource(const std::shared_ptr<EventTap>& tap) override;
  void removeTapSource(const std::shared_ptr<EventTap>& tap) override;
  bool hasTapSource(const EventTap& tap) const;

  void run() override;
  // Ends `run` after the work item now running; also when called before `run` started.
  void stop() override;

 private:
  using Clock = std::chrono::steady_clock;
  struct Timed {
    std::shared_ptr<WorkItem> item;
    std::shared_ptr<RepeatingTimer> timer;
  };
  using Key = std::pair<Clock::time_point, std::uint64_t>;

  void addTimedLocked(Clock::time_point due, Timed timed);

  mutable std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> ready_;
  std::map<Key, Timed> timed_;
  std::uint64_t nextSequence_ = 0;
  bool stopped_ = false;
  std::vector<std::weak_ptr<EventTap>> sources_;
};

}  // namespace tactora::platform
