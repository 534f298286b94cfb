#include "Platform/linux/bus/SessionBus.h"

#include <systemd/sd-bus.h>

#include <cerrno>

#include "Platform/Logger.h"

namespace tactora::lx {

namespace {

constexpr platform::Logger logger{"SessionBus"};

}  // namespace

BusConnection* SessionBus::connection() {
  if (connection_ && !connection_->isOpen()) {
    connection_.reset();
  }
  if (!connection_) {
    connection_ = BusConnection::connect();
    if (!connection_) {
      if (!reportedNoBus_) {
        logger.notice("no session bus: the desktop's services cannot be reached");
        reportedNoBus_ = true;
      }
      return nullptr;
    }
  }
  return &*connection_;
}

int SessionBus::call(const Method& method, std::chrono::microseconds timeout, const Append& append,
                     const Read& read) {
  const std::scoped_lock lock(mutex_);
  BusConnection* bus = connection();
  if (bus == nullptr) {
    return -ENOTCONN;
  }
  const int result = bus->call(method, timeout, append, read);
  // A reply that came after its call gave up waits in the connection's queue: drop such
  // messages now, so they never pile up between calls.
  bus->process();
  return result;
}

bool SessionBus::hasOwner(const char* name, std::chrono::microseconds timeout) {
  int owned = 0;
  const int result = call(
      {"org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "NameHasOwner"},
      timeout,
      [name](sd_bus_message* request) { return sd_bus_message_append(request, "s", name); },
      [&owned](sd_bus_message* reply) { return sd_bus_message_read(reply, "b", &owned); });
  return result >= 0 && owned != 0;
}

}  // namespace tactora::lx
