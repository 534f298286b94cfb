#pragma once

#include <memory>
#include <mutex>
#include <string_view>

#include "Platform/Event.h"
#include "Platform/EventTap.h"
#include "Platform/Logger.h"
#include "Platform/NamedThread.h"
#include "Platform/RepeatingTimer.h"
#include "Platform/RunLoop.h"

namespace tactora {

// The event tap of a tap object, brought up on its own thread: the thread, the tap's creation,
// enabling and its watchdog timer. The tap is stored once by the tap thread and read from any
// thread under the port's own small lock, which is never held while the tap or the timer is
// called. Dropping the port stops the tap's run loop first and then the watchdog.
class TapPort {
 public:
  // The tap object the port serves. The port calls it only while holding it, from the tap
  // thread (events, the watchdog) and never under the port's lock.
  class Client {
   public:
    // An event the tap passed on; the tap's disabled notices never come here.
    virtual platform::Event* handleEvent(platform::EventType type, platform::Event& event) = 0;
    // Whether the tap should be on now; a tap found off while wanted is reported as disabled.
    virtual bool wantsTapEnabled() const = 0;
    // The system switched the tap off ("timeout", "user input") or the watchdog found it off.
    virtual void handleTapDisabled(std::string_view reason) = 0;

   protected:
    ~Client() = default;
  };

  // What a tap object's port brings up: the thread's name, the tap, and the log line (in the
  // object's own category) for a tap that cannot be created.
  struct Setup {
    const char* threadName;
    platform::EventTapParameters parameters;
    const platform::Logger* logger;
    std::string_view creationFailure;
  };

  // The system can disable a tap without telling it (or the notice can be lost); a look this
  // often catches that.
  static constexpr double watchdogIntervalSeconds = 1.0;

  TapPort() = default;
  ~TapPort();
  TapPort(const TapPort&) = delete;
  TapPort& operator=(const TapPort&) = delete;

  // Starts the tap thread once; later calls do nothing. Main thread only; there is no stop. The
  // port must be a member of `client`: the thread reaches it only while it holds the client.
  void start(std::weak_ptr<Client> client, const Setup& setup);
  // The tap, or null before it was created (or when creation failed).
  std::shared_ptr<platform::EventTap> tap() const;

 private:
  void runTapLoop(const std::weak_ptr<Client>& weak, const Setup& setup, platform::RunLoop& loop);

  mutable std::mutex mutex_;
  std::shared_ptr<platform::EventTap> tap_;
  std::shared_ptr<platform::RepeatingTimer> watchdog_;
  std::unique_ptr<platform::NamedThread> thread_;  // main thread only
};

}  // namespace tactora
