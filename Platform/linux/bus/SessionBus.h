#pragma once

#include <chrono>
#include <mutex>
#include <optional>

#include "Platform/linux/bus/BusConnection.h"

namespace tactora::lx {

// The user's session bus as the desktop services (GNOME Shell, kglobalaccel) are called on it:
// one connection, opened on first use and again after the bus dropped it, shared by every caller
// and used by one caller at a time. Each call carries its own timeout, so a peer that never
// answers holds its caller no longer than that (and the others waiting for the connection no
// longer than their turn).
class SessionBus {
 public:
  using Method = BusConnection::Method;
  // They run while the connection is held, so they only touch the message.
  using Append = BusConnection::Append;
  using Read = BusConnection::Read;

  SessionBus() = default;
  SessionBus(const SessionBus&) = delete;
  SessionBus& operator=(const SessionBus&) = delete;

  // Calls `method`: 0 when the peer answered within `timeout` without an error and `read` (when
  // given) accepted the reply; else a negative errno, -ENOTCONN when there is no session bus and
  // -ETIMEDOUT when the peer did not answer in time.
  [[nodiscard]] int call(const Method& method, std::chrono::microseconds timeout,
                         const Append& append, const Read& read);

  // Whether `name` has an owner on the bus; false without a bus or an answer in time.
  bool hasOwner(const char* name, std::chrono::microseconds timeout);

 private:
  // The open connection, reopened when the bus closed it; null without a session bus.
  BusConnection* connection();

  std::mutex mutex_;  // guards the connection, which sd-bus lets one thread use at a time
  std::optional<BusConnection> connection_;
  bool reportedNoBus_ = false;
};

}  // namespace tactora::lx
