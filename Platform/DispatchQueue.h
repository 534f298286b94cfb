#pragma once

#include <functional>
#include <memory>

#include "Platform/RepeatingTimer.h"
#include "Platform/WorkItem.h"

namespace tactora::platform {

// A serial place where work runs: the main queue, the global user-interactive queue, or the run
// loop of a named thread.
class DispatchQueue {
 public:
  virtual ~DispatchQueue() = default;

  // Runs `work` soon, after the work already queued.
  virtual void async(std::function<void()> work) = 0;
  // Runs `item` `delaySeconds` from now unless it is cancelled first. Items due at the same time
  // run in the order they were scheduled.
  virtual void asyncAfter(double delaySeconds, std::shared_ptr<WorkItem> item) = 0;
  // A repeating timer whose first firing is `intervalSeconds` from now.
  virtual std::shared_ptr<RepeatingTimer> scheduleRepeating(double intervalSeconds,
                                                            std::function<void()> fire) = 0;

  // Convenience: wraps `work` in a new item and returns it for cancelling.
  std::shared_ptr<WorkItem> asyncAfter(double delaySeconds, std::function<void()> work) {
    auto item = WorkItem::make(std::move(work));
    asyncAfter(delaySeconds, item);
    return item;
  }
};

}  // namespace tactora::platform
