#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "Platform/RepeatingTimer.h"
#include "Platform/WorkItem.h"

namespace tactora::sim {

// The one virtual time of a simulated process. Every delayed work item, queued work, repeating
// timer and run-loop timer waits here, ordered by due time (equal times in scheduling order).
// Nothing runs until the driver (a test or the replay command) advances time; then everything
// due runs in order on the advancing thread, with `now()` reading each item's due time.
//
// Any thread may schedule; the queue is guarded by a mutex that is never held while work runs.
class VirtualTimeline {
 public:
  explicit VirtualTimeline(double startSeconds = 0);
  VirtualTimeline(const VirtualTimeline&) = delete;
  VirtualTimeline& operator=(const VirtualTimeline&) = delete;

  // Current virtual uptime in seconds.
  double now() const { return now_.load(std::memory_order_acquire); }

  // Runs `item` at `dueSeconds` (clamped to now) unless it is cancelled first.
  void scheduleAt(double dueSeconds, std::shared_ptr<platform::WorkItem> item);
  // Shorthand: a new item at now + `delaySeconds`; returns it for cancelling.
  std::shared_ptr<platform::WorkItem> scheduleAfter(double delaySeconds,
                                                    std::function<void()> work);
  // A timer firing first at now + `firstDelaySeconds`, then every `timer->intervalSeconds()`
  // (at least a microsecond) until invalidated.
  void scheduleRepeating(double firstDelaySeconds, std::shared_ptr<platform::RepeatingTimer> timer);

  // Runs everything due up to `targetSeconds` in order, then leaves `now()` at the target (or
  // later, if a pause inside the work moved it further). A call from inside running work does
  // nothing: work runs only at the outermost level.
  void advanceTo(double targetSeconds);
  void advanceBy(double deltaSeconds) { advanceTo(now() + deltaSeconds); }
  // Runs what is due now (queued async work) without moving time.
  void runDue() { advanceTo(now()); }
  // Advances until no one-shot work item is pending; repeating timers do not keep it going but
  // fire on the way. Returns the number of items and timer firings run. Stops after `maxSteps`
  // to end work that keeps rescheduling itself.
  std::size_t runUntilIdle(std::size_t maxSteps = 1'000'000);

  // With collapsing on, a stretch of time in which only watchdog timers (see RepeatingTimer)
  // would fire is crossed in one step: each watchdog fires once, at the last time of its grid
  // before the next other work (or the end of the advance), and stays on its grid. Off by
  // default: a test that steps through a watchdog's firings sees every one.
  void setCollapsesIdleTime(bool collapses) { collapsesIdleTime_.store(collapses); }
  // Timer firings run so far, for tests of the collapse.
  std::size_t timerFirings() const { return timerFirings_.load(); }

  // The calling thread sleeps `seconds`: time moves on and nothing runs. Work that fell due in
  // the meantime runs at the next advance.
  void sleep(double seconds);

  // One-shot items still waiting (cancelled ones not counted).
  std::size_t pendingOneShotCount() const;
  // Due time of the earliest live entry, one-shot or timer.
  std::optional<double> nextDueTime() const;

 private:
  struct Entry {
    std::shared_ptr<platform::WorkItem> item;         // a one-shot item, or
    std::shared_ptr<platform::RepeatingTimer> timer;  // a repeating timer
  };
  using Key = std::pair<double, std::uint64_t>;  // due time, scheduling sequence

  void insertLocked(double dueSeconds, Entry entry);
  // Takes the first live entry due at or before `limit`, dropping dead ones on the way.
  std::optional<std::pair<Key, Entry>> popDueLocked(double limit);
  // Moves every watchdog due more than one interval before the next other live entry (or
  // `limit`) forward to its last grid time at or before it.
  void collapseIdleLocked(double limit);
  void moveNowForward(double seconds);
  void runEntry(const Key& key, Entry& entry);

  mutable std::mutex mutex_;
  std::map<Key, Entry> entries_;
  std::uint64_t nextSequence_ = 0;
  std::atomic<double> now_;
  std::atomic<bool> collapsesIdleTime_{false};
  std::atomic<std::size_t> timerFirings_{0};

  std::mutex runMutex_;  // one advancing thread at a time
  std::atomic<std::thread::id> runner_{};
};

}  // namespace tactora::sim
