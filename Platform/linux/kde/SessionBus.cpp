#include "Platform/linux/kde/SessionBus.h"

#include <poll.h>
#include <systemd/sd-bus.h>
#include <time.h>

#include <cerrno>
#include <cstdint>
#include <limits>
#include <utility>

namespace tactora::lx {

namespace {

// Milliseconds until the bus's absolute monotonic deadline `usec`; -1 for none.
int pollTimeout(std::uint64_t usec) {
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

}  // namespace

void SdBusMessageUnref::operator()(sd_bus_message* message) const {
  sd_bus_message_unref(message);
}

std::optional<SessionBus> SessionBus::connect() {
  sd_bus* bus = nullptr;
  if (sd_bus_open_user(&bus) < 0) {
    return std::nullopt;
  }
  return SessionBus(bus);
}

SessionBus::~SessionBus() {
  if (bus_ != nullptr) {
    sd_bus_flush_close_unref(bus_);
  }
}

SessionBus::SessionBus(SessionBus&& other) noexcept : bus_(std::exchange(other.bus_, nullptr)) {}

SessionBus& SessionBus::operator=(SessionBus&& other) noexcept {
  if (this != &other) {
    if (bus_ != nullptr) {
      sd_bus_flush_close_unref(bus_);
    }
    bus_ = std::exchange(other.bus_, nullptr);
  }
  return *this;
}

bool SessionBus::isOpen() const {
  return bus_ != nullptr && sd_bus_is_open(bus_) > 0;
}

std::optional<std::string> SessionBus::owner(const char* name,
                                             std::chrono::microseconds timeout) const {
  sd_bus_message* call = nullptr;
  if (sd_bus_message_new_method_call(bus_, &call, "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                     "org.freedesktop.DBus", "GetNameOwner") < 0) {
    return std::nullopt;
  }
  const SdBusMessage callOwner(call);
  sd_bus_message* reply = nullptr;
  if (sd_bus_message_append(call, "s", name) < 0 ||
      sd_bus_call(bus_, call, static_cast<std::uint64_t>(timeout.count()), nullptr, &reply) < 0) {
    return std::nullopt;
  }
  const SdBusMessage replyOwner(reply);
  const char* unique = nullptr;
  if (sd_bus_message_read(reply, "s", &unique) < 0 || unique == nullptr) {
    return std::nullopt;
  }
  return std::string(unique);
}

int SessionBus::process() const {
  int result = 0;
  while ((result = sd_bus_process(bus_, nullptr)) > 0) {
  }
  return result;
}

int SessionBus::wait(int wakeUp) const {
  const int events = sd_bus_get_events(bus_);
  if (events < 0) {
    return events;
  }
  std::uint64_t deadline = std::numeric_limits<std::uint64_t>::max();
  if (const int timeoutResult = sd_bus_get_timeout(bus_, &deadline); timeoutResult < 0) {
    return timeoutResult;
  }
  pollfd fds[2] = {{sd_bus_get_fd(bus_), static_cast<short>(events), 0}, {wakeUp, POLLIN, 0}};
  if (::poll(fds, 2, pollTimeout(deadline)) < 0 && errno != EINTR) {
    return -errno;
  }
  return (fds[1].revents & POLLIN) != 0 ? 1 : 0;
}

}  // namespace tactora::lx
