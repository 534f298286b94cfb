#include "Platform/linux/sleep/LogindSleepWatcher.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <cstring>
#include <optional>
#include <string>
#include <utility>

#include "Platform/Logger.h"
#include "Platform/linux/bus/BusConnection.h"

namespace tactora::lx {

namespace {

constexpr platform::Logger logger{"LogindSleepWatcher"};

}  // namespace

LogindSleepWatcher::LogindSleepWatcher(std::function<void()> onResume)
    : onResume_(std::move(onResume)) {
  if (!thread_.start(threadName, [this](PollThread& thread) { run(thread); })) {
    logger.notice("cannot start watching for sleep (%{public}s): waking from sleep is not noticed",
                  {std::string(std::strerror(errno))});
    ended_ = true;
  }
}

LogindSleepWatcher::~LogindSleepWatcher() {
  thread_.stop();
}

void LogindSleepWatcher::handle(bool sleeping) {
  if (!sleeping && onResume_) {
    onResume_();
  }
  signalsHandled_.fetch_add(1);
}

void LogindSleepWatcher::run(PollThread& thread) {
  std::optional<BusConnection> bus = BusConnection::connectSystem();
  sd_bus_slot* match = nullptr;
  int result = bus ? 0 : -ENOTCONN;
  if (result >= 0) {
    result = sd_bus_match_signal(
        bus->get(), &match, "org.freedesktop.login1", "/org/freedesktop/login1",
        "org.freedesktop.login1.Manager", "PrepareForSleep",
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
    result = bus->process();
    if (result >= 0) {
      result = bus->wait(thread);
    }
    if (result < 0) {
      logger.notice("the system bus went away (%{public}s): waking from sleep is not noticed",
                    {std::string(std::strerror(-result))});
    }
    if (result != 0) {
      break;
    }
  }
  sd_bus_slot_unref(match);
  ended_ = true;
}

}  // namespace tactora::lx
