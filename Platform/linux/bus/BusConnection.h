#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

struct sd_bus;
struct sd_bus_message;

namespace tactora::lx {

class PollThread;

// One connection of ours to the user's session bus ($DBUS_SESSION_BUS_ADDRESS), or to the system
// bus. sd-bus connections are not thread-safe: a BusConnection is used by one thread at a time
// (SessionBus shares one between threads).
class BusConnection {
 public:
  struct Method {
    const char* destination;
    const char* path;
    const char* interface;
    const char* member;
  };
  // Write a call's arguments and read its reply. A negative result (an sd-bus error code) fails
  // the call.
  using Append = std::function<int(sd_bus_message* request)>;
  using Read = std::function<int(sd_bus_message* reply)>;

  // Milliseconds from now until an sd-bus deadline (absolute, monotonic, in microseconds, as
  // `sd_bus_get_timeout` gives it), rounded up, for poll(); -1 when there is none.
  static int pollTimeout(std::uint64_t deadlineUsec);

  // Connects; nothing when there is no session bus to reach.
  static std::optional<BusConnection> connect();
  // The same on the system bus ($DBUS_SYSTEM_BUS_ADDRESS, else the well-known socket).
  static std::optional<BusConnection> connectSystem();

  ~BusConnection();
  BusConnection(BusConnection&& other) noexcept;
  BusConnection& operator=(BusConnection&& other) noexcept;
  BusConnection(const BusConnection&) = delete;
  BusConnection& operator=(const BusConnection&) = delete;

  sd_bus* get() const { return bus_; }
  // False once the bus daemon closed the connection.
  bool isOpen() const;

  // Calls `method` and waits at most `timeout` for the reply (a timeout of zero or less waits the
  // shortest time sd-bus can, never its 25 s default). `append` and `read` may be empty. 0 when
  // the peer answered without an error and `read` accepted the reply; else a negative errno:
  // -ETIMEDOUT when the peer did not answer in time, the error's errno when it answered with one.
  // `failure` (when given) receives what went wrong in words: the error's name and message as
  // the peer sent them ("org.freedesktop.DBus.Error.UnknownObject: No such object path …").
  int call(const Method& method, std::chrono::microseconds timeout, const Append& append,
           const Read& read, std::string* failure = nullptr) const;
  // The unique name of the connection that owns `name` (":1.42"); nothing when it has no owner or
  // the bus did not answer within `timeout`.
  std::optional<std::string> owner(const char* name, std::chrono::microseconds timeout) const;

  // Handles everything that arrived (calls, signals, replies); a negative errno when the
  // connection failed.
  int process() const;
  // On `thread`: sleeps until something arrives, a timer of the bus is due, the thread is woken,
  // or `limit` (when given) has passed. 1 when the thread was woken (a stop), 0 otherwise, a
  // negative errno when the connection failed.
  int wait(PollThread& thread, std::optional<std::chrono::milliseconds> limit = std::nullopt) const;

 private:
  explicit BusConnection(sd_bus* bus) : bus_(bus) {}

  sd_bus* bus_ = nullptr;
};

}  // namespace tactora::lx
