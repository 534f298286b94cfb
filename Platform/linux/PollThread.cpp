#include "Platform/linux/PollThread.h"

#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace tactora::lx {

PollThread::PollThread() : wakeUp_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

bool PollThread::start(const char* name, std::function<void(PollThread&)> body) {
  if (!valid() || running()) {
    return false;
  }
  thread_ = std::thread([this, name, body = std::move(body)] {
    ::pthread_setname_np(::pthread_self(), name);
    body(*this);
  });
  return true;
}

void PollThread::wake(std::uint64_t reasons) {
  // An eventfd adds the values written up; the reasons are distinct bits, read back as a sum.
  [[maybe_unused]] const auto written = ::write(wakeUp_.get(), &reasons, sizeof reasons);
}

void PollThread::stop() {
  if (!running()) {
    return;
  }
  stopping_.store(true, std::memory_order_release);
  wake(stopRequest);
  thread_.join();
}

std::uint64_t PollThread::wait(std::span<pollfd> fds, int timeoutMilliseconds) {
  std::array<pollfd, maximumDescriptors + 1> all{};
  const std::size_t count = std::min(fds.size(), maximumDescriptors);
  std::copy_n(fds.begin(), count, all.begin());
  all[count] = {wakeUp_.get(), POLLIN, 0};
  for (;;) {
    if (stopping()) {
      return stopRequest;
    }
    const int ready = ::poll(all.data(), count + 1, timeoutMilliseconds);
    if (ready < 0 && errno == EINTR) {
      continue;
    }
    if (ready < 0) {
      return pollFailed;
    }
    break;
  }
  for (std::size_t index = 0; index < count; ++index) {
    fds[index].revents = all[index].revents;
  }
  std::uint64_t reasons = 0;
  if ((all[count].revents & POLLIN) != 0) {
    [[maybe_unused]] const auto read = ::read(wakeUp_.get(), &reasons, sizeof reasons);
  }
  return stopping() ? reasons | stopRequest : reasons;
}

}  // namespace tactora::lx
