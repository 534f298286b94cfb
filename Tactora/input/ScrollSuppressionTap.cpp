#include "Tactora/input/ScrollSuppressionTap.h"

#include <cstdint>

#include "ActionKit/SharedEventSource.h"
#include "Platform/Logger.h"

namespace tactora {

namespace {

constexpr platform::Logger logger{"ScrollSuppressionTap"};

// |value| without overflow, also for the most negative field value.
std::uint64_t magnitude(std::int64_t value) {
  return value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
}

// An active filter at the session level, ahead of other taps, so a swallowed event reaches no
// application.
constexpr platform::EventTapParameters tapParameters{
    platform::EventTapLocation::session,
    platform::EventTapPlacement::headInsert,
    platform::EventTapOptions::defaultTap,
    platform::eventMaskBit(platform::EventType::scrollWheel),
};

}  // namespace

std::shared_ptr<ScrollSuppressionTap> ScrollSuppressionTap::create() {
  return std::make_shared<ScrollSuppressionTap>(Key{});
}

void ScrollSuppressionTap::start() {
  port_.start(weak_from_this(), {threadName, tapParameters, &logger,
                                 "failed to create scroll-suppression event tap — likely missing "
                                 "Accessibility"});
}

ScrollSuppressionTap::Mode ScrollSuppressionTap::mode() const {
  std::lock_guard lock(stateMutex_);
  return state_;
}

void ScrollSuppressionTap::setMode(Mode mode) {
  {
    std::lock_guard lock(stateMutex_);
    if (state_ == mode) {
      return;
    }
    state_ = mode;
  }
  applyModeToTap();
}

void ScrollSuppressionTap::applyModeToTap() {
  const std::shared_ptr<platform::EventTap> tap = port_.tap();
  if (!tap) {
    return;  // not created yet, or creation failed: the mode is only stored
  }
  // The state is read again: another thread may have changed it since, and the tap must end up
  // matching the latest mode. Neither lock is held while the platform switches the tap.
  tap->enable(mode() != Mode::none);
}

platform::Event* ScrollSuppressionTap::handleEvent(platform::EventType type,
                                                   platform::Event& event) {
  if (type != platform::EventType::scrollWheel) {
    return &event;
  }
  // Drag-scrolling posts scroll events of its own; they must never be swallowed.
  if (SharedEventSource::isSynthetic(event)) {
    return &event;
  }
  switch (mode()) {
    case Mode::none:
      return &event;
    case Mode::all:
      return nullptr;
    case Mode::horizontalOnly: {
      const std::uint64_t vertical =
          magnitude(event.integerValueField(platform::EventField::scrollWheelEventDeltaAxis1));
      const std::uint64_t horizontal =
          magnitude(event.integerValueField(platform::EventField::scrollWheelEventDeltaAxis2));
      return vertical >= horizontal ? &event : nullptr;
    }
  }
  return &event;
}

void ScrollSuppressionTap::handleTapDisabled(std::string_view reason) {
  {
    std::lock_guard lock(stateMutex_);
    state_ = Mode::none;
  }
  // With the mode reset to none this switches the tap off; the pipeline's next call that wants
  // suppression finds the mode different and switches it on again.
  applyModeToTap();
  logger.error("scroll-suppression tap disabled (%{public}s) — mode reset to none", {reason});
}

}  // namespace tactora
