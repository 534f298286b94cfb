#include "Platform/linux/gnome/SessionBus.h"

#include <systemd/sd-bus.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "Platform/Logger.h"

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
    return error_.message != nullptr ? error_.message : std::strerror(-result);
  }

 private:
  sd_bus_error error_{nullptr, nullptr, 0};  // SD_BUS_ERROR_NULL is a C compound literal
};

std::uint64_t microseconds(std::chrono::milliseconds timeout) {
  // sd-bus reads a timeout of 0 as "its default" (25 s): the shortest real timeout instead.
  return timeout.count() > 0 ? static_cast<std::uint64_t>(timeout.count()) * 1000u : 1u;
}

}  // namespace

SessionBus::~SessionBus() {
  if (bus_ != nullptr) {
    sd_bus_flush_close_unref(bus_);
  }
}

sd_bus* SessionBus::connectedBus() {
  if (bus_ != nullptr && sd_bus_is_open(bus_) <= 0) {
    sd_bus_close_unref(bus_);
    bus_ = nullptr;
  }
  if (bus_ == nullptr) {
    const int result = sd_bus_open_user(&bus_);
    if (result < 0) {
      bus_ = nullptr;
      if (!reportedNoBus_) {
        logger.notice("no session bus (%{public}s): GNOME Shell cannot be reached",
                      {std::string(std::strerror(-result))});
        reportedNoBus_ = true;
      }
      return nullptr;
    }
  }
  return bus_;
}

bool SessionBus::call(const Method& method, std::chrono::milliseconds timeout, const Append& append,
                      const Read& read) {
  std::lock_guard lock(mutex_);
  sd_bus* bus = connectedBus();
  if (bus == nullptr) {
    return false;
  }
  sd_bus_message* rawRequest = nullptr;
  int result = sd_bus_message_new_method_call(bus, &rawRequest, method.destination, method.path,
                                              method.interface, method.member);
  const MessagePtr request(rawRequest);
  if (result >= 0 && append) {
    result = append(request.get());
  }
  BusError error;
  sd_bus_message* rawReply = nullptr;
  if (result >= 0) {
    result = sd_bus_call(bus, request.get(), microseconds(timeout), error.get(), &rawReply);
  }
  const MessagePtr reply(rawReply);
  if (result >= 0 && read) {
    result = read(reply.get());
  }
  if (result < 0) {
    logger.debug("%{public}s.%{public}s at %{public}s failed: %{public}s",
                 {std::string(method.interface), std::string(method.member),
                  std::string(method.destination), error.text(result)});
  }
  // A reply that came after its call gave up waits in the connection's queue: drop such
  // messages now, so they never pile up between calls.
  while (sd_bus_process(bus, nullptr) > 0) {
  }
  return result >= 0;
}

bool SessionBus::hasOwner(const char* name, std::chrono::milliseconds timeout) {
  int owned = 0;
  const bool answered = call(
      {"org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner"},
      timeout,
      [name](sd_bus_message* request) { return sd_bus_message_append(request, "s", name); },
      [&owned](sd_bus_message* reply) { return sd_bus_message_read(reply, "b", &owned); });
  return answered && owned != 0;
}

}  // namespace tactora::lx
