#include "Tactora/input/ButtonStateTap.h"

#include "ActionKit/SharedEventSource.h"
#include "Platform/Logger.h"

namespace tactora {

namespace {

constexpr platform::Logger logger{"ButtonStateTap"};

// Session level sees the events of the user's login; listen-only, so events pass unchanged and
// the tap never delays the system's event delivery.
constexpr platform::EventTapParameters tapParameters{
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
  port_.start(weak_from_this(),
              {threadName, tapParameters, &logger,
               "failed to create button-state event tap — likely missing Accessibility/Input "
               "Monitoring"});
}

bool ButtonStateTap::isButtonDown() const {
  std::lock_guard lock(stateMutex_);
  return state_;
}

void ButtonStateTap::setState(bool down) {
  std::lock_guard lock(stateMutex_);
  state_ = down;
}

platform::Event* ButtonStateTap::handleEvent(platform::EventType type, platform::Event& event) {
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
