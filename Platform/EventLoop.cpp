#include "Platform/EventLoop.h"

#include <algorithm>

namespace tactora::platform {

namespace {

std::chrono::steady_clock::duration toDuration(double seconds) {
  return std::chrono::duration_cast<std::chrono::steady_clock::duration>(
      std::chrono::duration<double>(std::max(seconds, 0.0)));
}

// A timer with a zero interval would keep the loop busy without end.
constexpr double minimumTimerIntervalSeconds = 1e-4;

}  // namespace

void EventLoop::addTimedLocked(Clock::time_point due, Timed timed) {
  timed_.emplace(Key{due, nextSequence_++}, std::move(timed));
}

void EventLoop::async(std::function<void()> work) {
  {
    std::lock_guard lock(mutex_);
    ready_.push_back(std::move(work));
  }
  wake_.notify_one();
}

void EventLoop::asyncAfter(double delaySeconds, std::shared_ptr<WorkItem> item) {
  if (!item) {
    return;
  }
  {
    std::lock_guard lock(mutex_);
    addTimedLocked(Clock::now() + toDuration(delaySeconds), Timed{std::move(item), nullptr});
  }
  wake_.notify_one();
}

std::shared_ptr<RepeatingTimer> EventLoop::scheduleRepeating(double intervalSeconds,
                                                             std::function<void()> fire) {
  auto timer = std::make_shared<RepeatingTimer>(intervalSeconds, std::move(fire));
  {
    std::lock_guard lock(mutex_);
    addTimedLocked(Clock::now() + toDuration(intervalSeconds), Timed{nullptr, timer});
  }
  wake_.notify_one();
  return timer;
}

void EventLoop::addTapSource(const std::shared_ptr<EventTap>& tap) {
  std::lock_guard lock(mutex_);
  sources_.push_back(tap);
}

void EventLoop::removeTapSource(const std::shared_ptr<EventTap>& tap) {
  std::lock_guard lock(mutex_);
  std::erase_if(sources_, [&tap](const auto& weak) {
    auto strong = weak.lock();
    return !strong || strong == tap;
  });
}

bool EventLoop::hasTapSource(const EventTap& tap) const {
  std::lock_guard lock(mutex_);
  return std::any_of(sources_.begin(), sources_.end(),
                     [&tap](const auto& weak) { return weak.lock().get() == &tap; });
}

void EventLoop::run() {
  std::unique_lock lock(mutex_);
  while (!stopped_) {
    // Timers that are due join the ready work in due order.
    const auto now = Clock::now();
    while (!timed_.empty() && timed_.begin()->first.first <= now) {
      auto node = timed_.extract(timed_.begin());
      Timed timed = std::move(node.mapped());
      if (timed.item) {
        ready_.push_back([item = std::move(timed.item)] { item->perform(); });
      } else if (timed.timer->isValid()) {
        const auto due = node.key().first;
        ready_.push_back([this, timer = timed.timer, due] {
          timer->fire();
          if (timer->isValid()) {
            const auto interval =
                toDuration(std::max(timer->intervalSeconds(), minimumTimerIntervalSeconds));
            // Keep the timer's grid, but never schedule into the past after a long stall.
            std::lock_guard relock(mutex_);
            addTimedLocked(std::max(due + interval, Clock::now()), Timed{nullptr, timer});
          }
        });
      }
    }
    if (!ready_.empty()) {
      auto work = std::move(ready_.front());
      ready_.pop_front();
      lock.unlock();
      work();
      // Released before relocking: what the work captured may schedule more work as it goes.
      work = nullptr;
      lock.lock();
      continue;
    }
    if (timed_.empty()) {
      wake_.wait(lock);
    } else {
      wake_.wait_until(lock, timed_.begin()->first.first);
    }
  }
}

void EventLoop::stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
  }
  wake_.notify_all();
}

}  // namespace tactora::platform
