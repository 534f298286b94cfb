#include "Tactora/input/ButtonStateTap.h"

#include "ActionKit/SharedEventSource.h"
#include "Platform/Logger.h"
#include "Platform/Platform.h"

namespace tactora {

namespace {

constexpr platform::Logger logger{"ButtonStateTap"};

// Session level sees the events of the user's login; listen-only, so events pass unchanged and
// the tap never delays the system's event delivery.
constexpr platform::EventTapParameters kTapParameters{
    platform::EventTapLocation::session,
    platform::EventTapPlacement::headInsert,
    platform::EventTapOptions::listenOnly,
    platform::eventMaskBit(platform::EventType::leftMouseDown) |
        platform::eventMaskBit(platform::EventType::leftMouseUp),
};

}  // namespace

std::shared_ptr<ButtonStateTap> ButtonStateTap::create() {
  return std::make_shared<ButtonStateTap>(Key{});
}

void ButtonStateTap::start() {
  if (thread_) {
    return;
  }
  std::weak_ptr<ButtonStateTap> weak = weak_from_this();
  thread_ = platform::Platform::current().dispatch().startThread(
      kThreadName, [weak](platform::RunLoop& loop) { runTapLoop(weak, loop); });
}

bool ButtonStateTap::isButtonDown() const {
  std::lock_guard lock(stateMutex_);
  return state_;
}

void ButtonStateTap::setState(bool down) {
  std::lock_guard lock(stateMutex_);
  state_ = down;
}

void ButtonStateTap::runTapLoop(const std::weak_ptr<ButtonStateTap>& weak,
                                platform::RunLoop& loop) {
  {
    std::shared_ptr<ButtonStateTap> self = weak.lock();
    if (!self) {
      return;
    }
    // The callback holds the object weakly: a tap outliving its object lets events through.
    auto tap = platform::Platform::current().events().createEventTap(
        kTapParameters, [weak](platform::EventType type, platform::Event& event) {
          std::shared_ptr<ButtonStateTap> owner = weak.lock();
          return owner ? owner->handleEvent(type, event) : &event;
        });
    if (!tap) {
      logger.error(
          "failed to create button-state CGEventTap — likely missing Accessibility/Input "
          "Monitoring");
      return;
    }
    // Stored before the tap is enabled, so a disabled notice that arrives at once can re-enable it.
    self->port_.setTap(tap);
    loop.addTapSource(tap);
    tap->enable(true);
    // The system can disable a tap without telling it (or the notice can be lost); a once-a-second
    // look catches that, so the button is not read from a dead tap for long.
    auto watchdog = loop.scheduleRepeating(kTapWatchdogIntervalSeconds, [weak, tap] {
      std::shared_ptr<ButtonStateTap> owner = weak.lock();
      if (owner && !tap->isEnabled()) {
        owner->handleTapDisabled("watchdog found it disabled");
      }
    });
    self->port_.setWatchdog(std::move(watchdog));
  }
  loop.run();
}

platform::Event* ButtonStateTap::handleEvent(platform::EventType type, platform::Event& event) {
  if (type == platform::EventType::tapDisabledByTimeout) {
    handleTapDisabled("timeout");
    return nullptr;
  }
  if (type == platform::EventType::tapDisabledByUserInput) {
    handleTapDisabled("user input");
    return nullptr;
  }
  // The held button of a tap-drag and bound clicks are ours, not the user's.
  if (SharedEventSource::isSynthetic(event)) {
    return &event;
  }
  if (type == platform::EventType::leftMouseDown) {
    setState(true);
  } else if (type == platform::EventType::leftMouseUp) {
    setState(false);
  }
  return &event;
}

void ButtonStateTap::handleTapDisabled(std::string_view reason) {
  // A release missed while the tap was off must not leave the button stuck down, so the button
  // reads as up until the next press the tap sees.
  setState(false);
  const std::shared_ptr<platform::EventTap> tap = port_.tap();
  if (tap) {
    tap->enable(true);
  }
  logger.error("button-state tap disabled (%{public}s) — re-enabled, isButtonDown reset to false",
               {reason});
}

}  // namespace tactora
