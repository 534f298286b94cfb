#include "Platform/sim/VirtualTimeline.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

namespace tactora::sim {

namespace {

// A timer with a zero interval would fire forever without time moving.
constexpr double minimumTimerIntervalSeconds = 1e-6;

}  // namespace

VirtualTimeline::VirtualTimeline(double startSeconds) : now_(startSeconds) {}

void VirtualTimeline::insertLocked(double dueSeconds, Entry entry) {
  entries_.emplace(Key{std::max(dueSeconds, now()), nextSequence_++}, std::move(entry));
}

void VirtualTimeline::scheduleAt(double dueSeconds, std::shared_ptr<platform::WorkItem> item) {
  if (!item) {
    return;
  }
  std::lock_guard lock(mutex_);
  insertLocked(dueSeconds, Entry{std::move(item), nullptr});
}

std::shared_ptr<platform::WorkItem> VirtualTimeline::scheduleAfter(double delaySeconds,
                                                                   std::function<void()> work) {
  auto item = platform::WorkItem::make(std::move(work));
  scheduleAt(now() + delaySeconds, item);
  return item;
}

void VirtualTimeline::scheduleRepeating(double firstDelaySeconds,
                                        std::shared_ptr<platform::RepeatingTimer> timer) {
  if (!timer) {
    return;
  }
  std::lock_guard lock(mutex_);
  insertLocked(now() + firstDelaySeconds, Entry{nullptr, std::move(timer)});
}

std::optional<std::pair<VirtualTimeline::Key, VirtualTimeline::Entry>>
VirtualTimeline::popDueLocked(double limit) {
  while (!entries_.empty()) {
    auto first = entries_.begin();
    const Entry& entry = first->second;
    const bool dead = entry.item ? entry.item->isCancelled() : !entry.timer->isValid();
    if (dead) {
      entries_.erase(first);
      continue;
    }
    if (first->first.first > limit) {
      return std::nullopt;
    }
    auto node = entries_.extract(first);
    return std::make_pair(node.key(), std::move(node.mapped()));
  }
  return std::nullopt;
}

void VirtualTimeline::collapseIdleLocked(double limit) {
  if (!collapsesIdleTime_.load() || entries_.empty()) {
    return;
  }
  // The horizon: the first live entry that is not a watchdog (entries are in due order).
  double horizon = limit;
  for (const auto& [key, entry] : entries_) {
    const bool dead = entry.item ? entry.item->isCancelled() : !entry.timer->isValid();
    if (!dead && (entry.item || !entry.timer->isWatchdog())) {
      horizon = std::min(horizon, key.first);
      break;
    }
  }
  if (!std::isfinite(horizon)) {
    return;
  }
  // Watchdogs with two or more firings before the horizon keep only the last; they go back in
  // their old order, with new sequence numbers, as if they had fired all along.
  std::vector<std::pair<double, Entry>> moved;
  for (auto it = entries_.begin(); it != entries_.end() && it->first.first < horizon;) {
    const Entry& entry = it->second;
    const double interval =
        entry.timer ? std::max(entry.timer->intervalSeconds(), minimumTimerIntervalSeconds) : 0;
    if (!entry.timer || !entry.timer->isValid() || !entry.timer->isWatchdog() ||
        it->first.first + interval > horizon) {
      ++it;
      continue;
    }
    double skipped = std::floor((horizon - it->first.first) / interval);
    double due = it->first.first + skipped * interval;
    if (due > horizon) {
      due -= interval;  // rounding
    }
    moved.emplace_back(due, std::move(it->second));
    it = entries_.erase(it);
  }
  for (auto& [due, entry] : moved) {
    entries_.emplace(Key{due, nextSequence_++}, std::move(entry));
  }
}

void VirtualTimeline::moveNowForward(double seconds) {
  double current = now_.load(std::memory_order_acquire);
  while (seconds > current &&
         !now_.compare_exchange_weak(current, seconds, std::memory_order_acq_rel)) {
  }
}

void VirtualTimeline::runEntry(const Key& key, Entry& entry) {
  moveNowForward(key.first);
  if (entry.item) {
    entry.item->perform();
    return;
  }
  ++timerFirings_;
  entry.timer->fire();
  if (entry.timer->isValid()) {
    const double interval = std::max(entry.timer->intervalSeconds(), minimumTimerIntervalSeconds);
    std::lock_guard lock(mutex_);
    // Keep the grid of the timer (due + interval), not the time the handler finished.
    entries_.emplace(Key{key.first + interval, nextSequence_++}, std::move(entry));
  }
}

void VirtualTimeline::advanceTo(double targetSeconds) {
  if (runner_.load(std::memory_order_acquire) == std::this_thread::get_id()) {
    return;  // called from inside running work
  }
  std::lock_guard run(runMutex_);
  runner_.store(std::this_thread::get_id(), std::memory_order_release);
  for (;;) {
    std::optional<std::pair<Key, Entry>> next;
    {
      std::lock_guard lock(mutex_);
      collapseIdleLocked(std::max(targetSeconds, now()));
      next = popDueLocked(std::max(targetSeconds, now()));
    }
    if (!next) {
      break;
    }
    runEntry(next->first, next->second);
  }
  moveNowForward(targetSeconds);
  runner_.store(std::thread::id{}, std::memory_order_release);
}

std::size_t VirtualTimeline::runUntilIdle(std::size_t maxSteps) {
  if (runner_.load(std::memory_order_acquire) == std::this_thread::get_id()) {
    return 0;
  }
  std::lock_guard run(runMutex_);
  runner_.store(std::this_thread::get_id(), std::memory_order_release);
  std::size_t steps = 0;
  while (steps < maxSteps) {
    std::optional<std::pair<Key, Entry>> next;
    {
      std::lock_guard lock(mutex_);
      const bool oneShotPending = std::any_of(entries_.begin(), entries_.end(), [](const auto& e) {
        return e.second.item && !e.second.item->isCancelled();
      });
      if (!oneShotPending) {
        break;
      }
      collapseIdleLocked(std::numeric_limits<double>::infinity());
      next = popDueLocked(std::numeric_limits<double>::infinity());
    }
    if (!next) {
      break;
    }
    runEntry(next->first, next->second);
    ++steps;
  }
  runner_.store(std::thread::id{}, std::memory_order_release);
  return steps;
}

void VirtualTimeline::sleep(double seconds) {
  if (seconds > 0) {
    moveNowForward(now() + seconds);
  }
}

std::size_t VirtualTimeline::pendingOneShotCount() const {
  std::lock_guard lock(mutex_);
  return static_cast<std::size_t>(
      std::count_if(entries_.begin(), entries_.end(),
                    [](const auto& e) { return e.second.item && !e.second.item->isCancelled(); }));
}

std::optional<double> VirtualTimeline::nextDueTime() const {
  std::lock_guard lock(mutex_);
  for (const auto& [key, entry] : entries_) {
    const bool dead = entry.item ? entry.item->isCancelled() : !entry.timer->isValid();
    if (!dead) {
      return key.first;
    }
  }
  return std::nullopt;
}

}  // namespace tactora::sim
