#pragma once

#include <poll.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <thread>

#include "Platform/UniqueFd.h"

namespace tactora::lx {

// A thread of its own that sleeps in poll() on its owner's descriptors and on a wake-up
// descriptor (an eventfd) of its own, so that any other thread can wake it with a reason, or stop
// it at once, however long it would otherwise sleep. The owner's body runs on the thread and calls
// `wait` in its loop until the wait says it was stopped. Used by every thread of the backend that
// waits on descriptors: each evdev device's reader, the udev hot-plug watch, the KWin script's bus
// and logind's.
class PollThread {
 public:
  // The wake-up reasons are bits, added up until the thread reads them. These two are the
  // thread's own; an owner's reasons are the bits below them.
  static constexpr std::uint64_t stopRequest = std::uint64_t{1} << 62;
  static constexpr std::uint64_t pollFailed = std::uint64_t{1} << 63;
  // The most descriptors one wait watches beside the wake-up descriptor.
  static constexpr std::size_t maximumDescriptors = 3;

  PollThread();
  // Stops and joins the thread.
  ~PollThread() { stop(); }
  PollThread(const PollThread&) = delete;
  PollThread& operator=(const PollThread&) = delete;

  // Whether the wake-up descriptor could be made; without it no thread is started.
  bool valid() const { return wakeUp_.valid(); }
  bool running() const { return thread_.joinable(); }
  // Starts `body` on a thread the system knows as `name` (at most 15 characters); false (and
  // nothing started) without a wake-up descriptor.
  bool start(const char* name, std::function<void(PollThread&)> body);
  // Wakes the thread's wait with `reasons`; from any thread.
  void wake(std::uint64_t reasons);
  // Wakes the thread with `stopRequest` and joins it; nothing when it is not running. Never from
  // the thread itself.
  void stop();
  // Whether a stop was asked for: every wait from then on returns `stopRequest` at once.
  bool stopping() const { return stopping_.load(std::memory_order_acquire); }

  // On the thread: sleeps until one of `fds` has an event (their `revents` say which), the wake-up
  // descriptor was written, or `timeoutMilliseconds` passed (-1: no limit). The reasons it was
  // woken with since the last wait, 0 when none; `pollFailed` when poll() failed (errno says
  // why). Allocates nothing.
  std::uint64_t wait(std::span<pollfd> fds, int timeoutMilliseconds = -1);

 private:
  platform::UniqueFd wakeUp_;
  std::atomic<bool> stopping_{false};
  std::thread thread_;
};

}  // namespace tactora::lx
