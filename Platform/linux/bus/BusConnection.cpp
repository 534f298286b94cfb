#include "Platform/linux/bus/BusConnection.h"

#include <poll.h>
#include <systemd/sd-bus.h>
#include <time.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <utility>

#include "Platform/Logger.h"
#include "Platform/linux/PollThread.h"

namespace tactora::lx {

namespace {

constexpr platform::Logger logger{"SessionBus"};

struct MessageUnref {
  void operator()(sd_bus_message* message) const { sd_bus_message_unref(message); }
};
using MessagePtr = std::unique_ptr<sd_bus_message, MessageUnref>;

// Frees the error's texts on every path out of a call.
class BusError {
 public:
  BusError() = default;
  ~BusError() { sd_bus_error_free(&error_); }
  BusError(const BusError&) = delete;
  BusError& operator=(const BusError&) = delete;

  sd_bus_error* get() { return &error_; }
  std::string text(int result) const {
    if (error_.name != nullptr && error_.message != nullptr) {
      return std::string(error_.name) + ": " + error_.message;
    }
    return error_.message != nullptr ? error_.message : std::strerror(-result);
  }

 private:
  sd_bus_error error_{nullptr, nullptr, 0};  // SD_BUS_ERROR_NULL is a C compound literal
};

std::uint64_t microseconds(std::chrono::microseconds timeout) {
  // sd-bus reads a timeout of 0 as "its default" (25 s), and a negative one would wrap to
  // forever: the shortest real timeout instead.
  return timeout.count() > 0 ? static_cast<std::uint64_t>(timeout.count()) : 1u;
}

}  // namespace

int BusConnection::pollTimeout(std::uint64_t usec) {
  if (usec == std::numeric_limits<std::uint64_t>::max()) {
    return -1;
  }
  timespec now{};
  ::clock_gettime(CLOCK_MONOTONIC, &now);
  const std::uint64_t nowUsec = static_cast<std::uint64_t>(now.tv_sec) * 1000000u +
                                static_cast<std::uint64_t>(now.tv_nsec) / 1000u;
  if (usec <= nowUsec) {
    return 0;
  }
  const std::uint64_t milliseconds = (usec - nowUsec + 999u) / 1000u;
  return milliseconds > static_cast<std::uint64_t>(std::numeric_limits<int>::max())
             ? std::numeric_limits<int>::max()
             : static_cast<int>(milliseconds);
}

std::optional<BusConnection> BusConnection::connect() {
  sd_bus* bus = nullptr;
  if (sd_bus_open_user(&bus) < 0) {
    return std::nullopt;
  }
  return BusConnection(bus);
}

std::optional<BusConnection> BusConnection::connectSystem() {
  sd_bus* bus = nullptr;
  if (sd_bus_open_system(&bus) < 0) {
    return std::nullopt;
  }
  return BusConnection(bus);
}

BusConnection::~BusConnection() {
  if (bus_ != nullptr) {
    sd_bus_flush_close_unref(bus_);
  }
}

BusConnection::BusConnection(BusConnection&& other) noexcept
    : bus_(std::exchange(other.bus_, nullptr)) {}

BusConnection& BusConnection::operator=(BusConnection&& other) noexcept {
  if (this != &other) {
    if (bus_ != nullptr) {
      sd_bus_flush_close_unref(bus_);
    }
    bus_ = std::exchange(other.bus_, nullptr);
  }
  return *this;
}

bool BusConnection::isOpen() const {
  return bus_ != nullptr && sd_bus_is_open(bus_) > 0;
}

int BusConnection::call(const Method& method, std::chrono::microseconds timeout,
                        const Append& append, const Read& read, std::string* failure) const {
  if (bus_ == nullptr) {
    return -ENOTCONN;
  }
  sd_bus_message* rawRequest = nullptr;
  int result = sd_bus_message_new_method_call(bus_, &rawRequest, method.destination, method.path,
                                              method.interface, method.member);
  const MessagePtr request(rawRequest);
  if (result >= 0 && append) {
    result = append(request.get());
  }
  BusError error;
  sd_bus_message* rawReply = nullptr;
  if (result >= 0) {
    result = sd_bus_call(bus_, request.get(), microseconds(timeout), error.get(), &rawReply);
  }
  const MessagePtr reply(rawReply);
  if (result >= 0 && read) {
    result = read(reply.get());
  }
  if (result < 0) {
    logger.debug("%{public}s.%{public}s at %{public}s failed: %{public}s",
                 {std::string(method.interface), std::string(method.member),
                  std::string(method.destination), error.text(result)});
    if (failure != nullptr) {
      *failure = error.text(result);
    }
    return result;
  }
  return 0;
}

std::optional<std::string> BusConnection::owner(const char* name,
                                                std::chrono::microseconds timeout) const {
  std::optional<std::string> unique;
  call(
      {"org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetNameOwner"},
      timeout,
      [name](sd_bus_message* request) { return sd_bus_message_append(request, "s", name); },
      [&unique](sd_bus_message* reply) {
        const char* text = nullptr;
        const int result = sd_bus_message_read(reply, "s", &text);
        if (result >= 0 && text != nullptr) {
          unique = text;
        }
        return result;
      });
  return unique;
}

int BusConnection::process() const {
  if (bus_ == nullptr) {
    return -ENOTCONN;
  }
  int result = 0;
  while ((result = sd_bus_process(bus_, nullptr)) > 0) {
  }
  return result;
}

int BusConnection::wait(PollThread& thread, std::optional<std::chrono::milliseconds> limit) const {
  if (bus_ == nullptr) {
    return -ENOTCONN;
  }
  const int events = sd_bus_get_events(bus_);
  if (events < 0) {
    return events;
  }
  std::uint64_t deadline = std::numeric_limits<std::uint64_t>::max();
  if (const int timeoutResult = sd_bus_get_timeout(bus_, &deadline); timeoutResult < 0) {
    return timeoutResult;
  }
  int timeout = BusConnection::pollTimeout(deadline);
  if (limit) {
    const auto limitMilliseconds = static_cast<int>(
        std::clamp<std::int64_t>(limit->count(), 0, std::numeric_limits<int>::max()));
    timeout = timeout < 0 ? limitMilliseconds : std::min(timeout, limitMilliseconds);
  }
  pollfd bus[1] = {{sd_bus_get_fd(bus_), static_cast<short>(events), 0}};
  const std::uint64_t woken = thread.wait(bus, timeout);
  if ((woken & PollThread::pollFailed) != 0) {
    return -errno;
  }
  return woken != 0 ? 1 : 0;
}

}  // namespace tactora::lx
