#pragma once

#include <chrono>
#include <functional>
#include <mutex>
#include <string>

struct sd_bus;
struct sd_bus_message;

namespace tactora::lx {

// The user's session bus as the GNOME services use it: one connection, opened on first use (and
// again after the bus dropped it), shared by every caller and used by one caller at a time. Each
// call carries its own timeout, so a peer that never answers holds its caller no longer than that.
class SessionBus {
 public:
  struct Method {
    const char* destination;
    const char* path;
    const char* interface;
    const char* member;
  };
  // Write a call's arguments and read its reply. They run while the connection is held, so they
  // only touch the message; a negative result (an sd-bus error code) fails the call.
  using Append = std::function<int(sd_bus_message* request)>;
  using Read = std::function<int(sd_bus_message* reply)>;

  SessionBus() = default;
  ~SessionBus();
  SessionBus(const SessionBus&) = delete;
  SessionBus& operator=(const SessionBus&) = delete;

  // Calls `method`; true when the peer answered within `timeout` without an error and `read`
  // (when given) accepted the reply.
  bool call(const Method& method, std::chrono::milliseconds timeout, const Append& append,
            const Read& read);

  // Whether `name` has an owner on the bus; false without a bus.
  bool hasOwner(const char* name, std::chrono::milliseconds timeout);

 private:
  sd_bus* connectedBus();

  std::mutex mutex_;
  sd_bus* bus_ = nullptr;
  bool reportedNoBus_ = false;
};

}  // namespace tactora::lx
