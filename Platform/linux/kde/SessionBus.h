#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

struct sd_bus;
struct sd_bus_message;

namespace tactora::lx {

// One connection of ours to the user's session bus ($DBUS_SESSION_BUS_ADDRESS). sd-bus
// connections are not thread-safe: a SessionBus is used by one thread at a time.
class SessionBus {
 public:
  // Connects; nothing when there is no session bus to reach.
  static std::optional<SessionBus> connect();

  ~SessionBus();
  SessionBus(SessionBus&& other) noexcept;
  SessionBus& operator=(SessionBus&& other) noexcept;
  SessionBus(const SessionBus&) = delete;
  SessionBus& operator=(const SessionBus&) = delete;

  sd_bus* get() const { return bus_; }
  // False once the bus daemon closed the connection.
  bool isOpen() const;
  // The unique name of the connection that owns `name` (":1.42"); nothing when it has no owner or
  // the bus did not answer within `timeout`.
  std::optional<std::string> owner(const char* name, std::chrono::microseconds timeout) const;

  // Handles everything that arrived (calls, signals, replies); a negative errno when the
  // connection failed.
  int process() const;
  // Sleeps until something arrives, a timer of the bus is due, or `wakeUp` becomes readable.
  // 1 when woken by `wakeUp`, 0 otherwise, a negative errno when the connection failed.
  int wait(int wakeUp) const;

 private:
  explicit SessionBus(sd_bus* bus) : bus_(bus) {}

  sd_bus* bus_ = nullptr;
};

// Owns one reference to an sd-bus message (a reply or a call under construction).
struct SdBusMessageUnref {
  void operator()(sd_bus_message* message) const;
};
using SdBusMessage = std::unique_ptr<sd_bus_message, SdBusMessageUnref>;

}  // namespace tactora::lx
