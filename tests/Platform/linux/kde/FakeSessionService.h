#pragma once

#include <systemd/sd-bus.h>

#include <atomic>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "Platform/linux/bus/BusConnection.h"

namespace tactora::lx::test {

// A desktop service standing in for KDE's on the test's private session bus: a connection of its
// own that owns `name` and answers method calls with handlers a test installs per object path.
// Every call is recorded. It serves on its own thread once started; a service never started
// owns its name but never answers, like a hung one. Tasks run on the serving thread, where the
// connection may be used.
class FakeSessionService {
 public:
  struct Call {
    std::string path;
    std::string member;
    std::vector<std::string> arguments;  // the string arguments, in order
    bool operator==(const Call&) const = default;
  };
  // Answers `call` (with sd_bus_reply_method_*); returns what the bus callback should return.
  using Handler = std::function<int(sd_bus_message* call, const Call& recorded)>;

  explicit FakeSessionService(const char* name);
  ~FakeSessionService();
  FakeSessionService(const FakeSessionService&) = delete;
  FakeSessionService& operator=(const FakeSessionService&) = delete;

  bool ready() const { return ready_; }
  // Installs `handler` for every call to `path`; calls to other paths get an unknown-object error.
  void handle(const std::string& path, Handler handler);
  void start();
  // Runs `task` with the connection on the serving thread.
  void post(std::function<void(sd_bus*)> task);

  std::vector<Call> calls() const;
  std::vector<Call> calls(const std::string& member) const;

 private:
  static int dispatch(sd_bus_message* message, void* self, sd_bus_error* error);
  void serve();

  std::optional<BusConnection> bus_;
  int wakeUp_ = -1;
  bool ready_ = false;
  std::atomic<bool> stopping_{false};
  std::map<std::string, Handler> handlers_;
  std::vector<sd_bus_slot*> slots_;
  mutable std::mutex mutex_;  // guards calls_ and tasks_
  std::vector<Call> calls_;
  std::vector<std::function<void(sd_bus*)>> tasks_;
  std::thread thread_;
};

}  // namespace tactora::lx::test
