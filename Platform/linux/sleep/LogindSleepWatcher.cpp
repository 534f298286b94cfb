#include "Platform/linux/sleep/LogindSleepWatcher.h"

#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <systemd/sd-bus.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <string>
#include <utility>

#include "Platform/Logger.h"
#include "Platform/linux/bus/BusConnection.h"

namespace tactora::lx {

namespace {

constexpr platform::Logger logger{"LogindSleepWatcher"};

}  // namespace

// Every handle the watcher holds: the wake-up descriptor (created at once, so destruction can
// always reach the thread), and the bus with its match slot (created on the thread).
class LogindSleepWatcher::Connection {
 public:
  Connection() : wakeUp_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}
  ~Connection() {
    if (slot_ != nullptr) {
      sd_bus_slot_unref(slot_);
    }
    if (bus_ != nullptr) {
      sd_bus_flush_close_unref(bus_);
    }
    if (wakeUp_ >= 0) {
      ::close(wakeUp_);
    }
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  int wakeUp() const { return wakeUp_; }
  sd_bus* bus() const { return bus_; }
  sd_bus** busSlot() { return &bus_; }
  sd_bus_slot** matchSlot() { return &slot_; }

  void signalStop() const {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeUp_, &one, sizeof one);
  }

 private:
  int wakeUp_;
  sd_bus* bus_ = nullptr;
  sd_bus_slot* slot_ = nullptr;
};

LogindSleepWatcher::LogindSleepWatcher(std::function<void()> onResume)
    : onResume_(std::move(onResume)), connection_(std::make_unique<Connection>()) {
  thread_ = std::thread([this] { run(); });
}

LogindSleepWatcher::~LogindSleepWatcher() {
  connection_->signalStop();
  thread_.join();
}

void LogindSleepWatcher::handle(bool sleeping) {
  if (!sleeping && onResume_) {
    onResume_();
  }
  signalsHandled_.fetch_add(1);
}

void LogindSleepWatcher::run() {
  ::pthread_setname_np(::pthread_self(), threadName);
  Connection& connection = *connection_;
  int result = connection.wakeUp() < 0 ? -errno : sd_bus_open_system(connection.busSlot());
  if (result >= 0) {
    result = sd_bus_match_signal(
        connection.bus(), connection.matchSlot(), "org.freedesktop.login1",
        "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep",
        [](sd_bus_message* message, void* context, sd_bus_error*) {
          int sleeping = 0;
          if (sd_bus_message_read(message, "b", &sleeping) >= 0) {
            static_cast<LogindSleepWatcher*>(context)->handle(sleeping != 0);
          }
          return 0;
        },
        this);
  }
  if (result < 0) {
    logger.notice("no system bus (%{public}s): waking from sleep is not noticed",
                  {std::string(std::strerror(-result))});
    ended_ = true;
    return;
  }
  subscribed_ = true;

  for (;;) {
    result = sd_bus_process(connection.bus(), nullptr);
    if (result > 0) {
      continue;
    }
    int events = result < 0 ? result : sd_bus_get_events(connection.bus());
    std::uint64_t deadline = std::numeric_limits<std::uint64_t>::max();
    if (events >= 0) {
      const int timeoutResult = sd_bus_get_timeout(connection.bus(), &deadline);
      events = timeoutResult < 0 ? timeoutResult : events;
    }
    if (events < 0) {
      logger.notice("the system bus went away (%{public}s): waking from sleep is not noticed",
                    {std::string(std::strerror(-events))});
      break;
    }
    pollfd fds[2] = {{sd_bus_get_fd(connection.bus()), static_cast<short>(events), 0},
                     {connection.wakeUp(), POLLIN, 0}};
    if (::poll(fds, 2, BusConnection::pollTimeout(deadline)) < 0 && errno != EINTR) {
      break;
    }
    if ((fds[1].revents & POLLIN) != 0) {
      break;
    }
  }
  ended_ = true;
}

}  // namespace tactora::lx
