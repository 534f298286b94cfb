#include "Tactora/input/TapPort.h"

#include <utility>

#include "Platform/Platform.h"

namespace tactora {

TapPort::~TapPort() {
  // The tap's run loop stops before the watchdog is dropped, so no watchdog tick runs against a
  // half-destroyed port.
  thread_.reset();
  std::shared_ptr<platform::RepeatingTimer> watchdog;
  {
    std::lock_guard lock(mutex_);
    watchdog = std::move(watchdog_);
  }
  if (watchdog) {
    watchdog->invalidate();
  }
}

void TapPort::start(std::weak_ptr<Client> client, const Setup& setup) {
  if (thread_) {
    return;
  }
  thread_ = platform::Platform::current().dispatch().startThread(
      setup.threadName, [this, weak = std::move(client), setup](platform::RunLoop& loop) {
        runTapLoop(weak, setup, loop);
      });
}

std::shared_ptr<platform::EventTap> TapPort::tap() const {
  std::lock_guard lock(mutex_);
  return tap_;
}

void TapPort::runTapLoop(const std::weak_ptr<Client>& weak, const Setup& setup,
                         platform::RunLoop& loop) {
  {
    std::shared_ptr<Client> self = weak.lock();
    if (!self) {
      return;
    }
    // The callback holds the client weakly: a tap outliving its object lets events through.
    auto tap = platform::Platform::current().events().createEventTap(
        setup.parameters, [weak](platform::EventType type, platform::Event& event) {
          std::shared_ptr<Client> owner = weak.lock();
          if (!owner) {
            return &event;
          }
          if (type == platform::EventType::tapDisabledByTimeout ||
              type == platform::EventType::tapDisabledByUserInput) {
            if (owner->wantsTapEnabled()) {
              owner->handleTapDisabled(
                  type == platform::EventType::tapDisabledByTimeout ? "timeout" : "user input");
            }
            return static_cast<platform::Event*>(nullptr);
          }
          return owner->handleEvent(type, event);
        });
    if (!tap) {
      setup.logger->error(setup.creationFailure);
      return;
    }
    // Stored before the tap is enabled, so a disabled notice that arrives at once can re-enable it.
    {
      std::lock_guard lock(mutex_);
      tap_ = tap;
    }
    loop.addTapSource(tap);
    tap->enable(self->wantsTapEnabled());
    auto watchdog = loop.scheduleRepeating(watchdogIntervalSeconds, [weak, tap] {
      std::shared_ptr<Client> owner = weak.lock();
      if (owner && owner->wantsTapEnabled() && !tap->isEnabled()) {
        owner->handleTapDisabled("watchdog found it disabled");
      }
    });
    watchdog->markAsWatchdog();  // re-enables a disabled tap at once, or does nothing
    std::lock_guard lock(mutex_);
    watchdog_ = std::move(watchdog);
  }
  loop.run();
}

}  // namespace tactora
