#include "Tactora/config/CoalescingWriter.h"

#include <pthread.h>

#include <utility>

namespace tactora {

CoalescingWriter::~CoalescingWriter() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  changed_.notify_all();
  if (thread_.joinable()) {
    thread_.join();  // the thread leaves only once nothing waits
  }
}

void CoalescingWriter::submit(Job job) {
  Job replaced;  // destroyed outside the lock: it may hold the last reference to a large value
  {
    std::lock_guard lock(mutex_);
    replaced = std::exchange(waiting_, std::move(job));
    if (!thread_.joinable()) {
      thread_ = std::thread([this] { run(); });
    }
  }
  changed_.notify_all();
}

void CoalescingWriter::flush() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return !waiting_ && !running_; });
}

void CoalescingWriter::run() {
  pthread_setname_np(pthread_self(), "ConfigWriter");
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return waiting_ || stopping_; });
    if (!waiting_) {
      return;  // stopping, and everything handed in has run
    }
    Job job = std::exchange(waiting_, nullptr);
    running_ = true;
    lock.unlock();
    job();
    job = nullptr;
    lock.lock();
    running_ = false;
    changed_.notify_all();
  }
}

}  // namespace tactora
