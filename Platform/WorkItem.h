#pragma once

#include <atomic>
#include <functional>
#include <memory>

namespace tactora::platform {

// A cancellable unit of work scheduled on a queue with a delay. Cancelling before it runs keeps
// it from running; cancelling afterwards does nothing. Shared between the scheduler and the owner
// that may cancel it.
class WorkItem {
 public:
  explicit WorkItem(std::function<void()> work) : work_(std::move(work)) {}
  static std::shared_ptr<WorkItem> make(std::function<void()> work) {
    return std::make_shared<WorkItem>(std::move(work));
  }

  WorkItem(const WorkItem&) = delete;
  WorkItem& operator=(const WorkItem&) = delete;

  void cancel() { cancelled_.store(true, std::memory_order_release); }
  bool isCancelled() const { return cancelled_.load(std::memory_order_acquire); }

  // Runs the work unless cancelled. Called by the queue that holds the item.
  void perform();

 private:
  std::function<void()> work_;
  std::atomic<bool> cancelled_{false};
};

}  // namespace tactora::platform
