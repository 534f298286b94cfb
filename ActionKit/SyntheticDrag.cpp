#include "ActionKit/SyntheticDrag.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <utility>

#include "ActionKit/PerPlatform.h"
#include "ActionKit/SharedEventSource.h"
#include "ActionKit/SyntheticInput.h"
#include "Platform/Logger.h"

namespace tactora {

namespace {

constexpr platform::Logger logger{"SyntheticDrag"};

// Nearest integer, halves away from zero. Callers never pass values outside the 64-bit range or
// non-finite ones; should one arrive it is clamped (or 0) rather than converted out of range.
std::int64_t roundedDelta(double value) {
  if (!std::isfinite(value)) {
    return 0;
  }
  const double rounded = std::round(value);
  constexpr double limit = 9223372036854775808.0;  // 2^63
  if (rounded >= limit) {
    return std::numeric_limits<std::int64_t>::max();
  }
  if (rounded < -limit) {
    return std::numeric_limits<std::int64_t>::min();
  }
  return static_cast<std::int64_t>(rounded);
}

}  // namespace

SyntheticDrag::SyntheticDrag(platform::Platform& platform, CursorProvider cursorProvider,
                             PostEvent postEvent)
    : platform_(platform),
      cursorProvider_(std::move(cursorProvider)),
      postEvent_(std::move(postEvent)) {}

SyntheticDrag::SyntheticDrag(platform::Platform& platform)
    : SyntheticDrag(
          platform,
          [&platform] {
            const auto event = platform.events().createEvent(nullptr);
            return event ? event->location() : platform::Point{};
          },
          postingAtHID(platform)) {}

SyntheticDrag& SyntheticDrag::shared() {
  return PerPlatform<SyntheticDrag>::shared();
}

void SyntheticDrag::begin(std::optional<platform::Point> point) {
  std::lock_guard lock(lock_);
  if (isDragging_) {
    return;
  }
  isDragging_ = true;
  const platform::Point position = point ? *point : cursorProvider_();
  lastPosition_ = position;
  postMouse(platform::EventType::leftMouseDown, position, 0, 0);
}

void SyntheticDrag::followCursor() {
  std::lock_guard lock(lock_);
  if (!isDragging_) {
    return;
  }
  const platform::Point position = cursorProvider_();
  const double deltaX = position.x - lastPosition_.x;
  const double deltaY = position.y - lastPosition_.y;
  lastPosition_ = position;
  postMouse(platform::EventType::leftMouseDragged, position, deltaX, deltaY);
}

void SyntheticDrag::moveBy(double dx, double dy) {
  std::lock_guard lock(lock_);
  if (!isDragging_) {
    return;
  }
  lastPosition_.x += dx;
  lastPosition_.y += dy;
  postMouse(platform::EventType::leftMouseDragged, lastPosition_, dx, dy);
}

void SyntheticDrag::end() {
  std::lock_guard lock(lock_);
  if (!isDragging_) {
    return;
  }
  isDragging_ = false;
  const platform::Point position = cursorProvider_();
  // The release reports the movement since the last drag event but leaves `lastPosition_`: a new
  // drag sets it again in `begin`.
  postMouse(platform::EventType::leftMouseUp, position, position.x - lastPosition_.x,
            position.y - lastPosition_.y);
}

bool SyntheticDrag::isDragging() const {
  std::lock_guard lock(lock_);
  return isDragging_;
}

platform::Point SyntheticDrag::lastPosition() const {
  std::lock_guard lock(lock_);
  return lastPosition_;
}

void SyntheticDrag::postMouse(platform::EventType type, platform::Point position, double deltaX,
                              double deltaY) {
  const auto source = SharedEventSource::source(platform_);
  if (!source) {
    return;
  }
  auto event =
      platform_.events().createMouseEvent(&*source, type, position, platform::MouseButton::left);
  if (!event) {
    return;
  }
  event->setIntegerValueField(platform::EventField::mouseEventClickState, 1);
  event->setIntegerValueField(platform::EventField::mouseEventDeltaX, roundedDelta(deltaX));
  event->setIntegerValueField(platform::EventField::mouseEventDeltaY, roundedDelta(deltaY));
  event->setIntegerValueField(platform::EventField::eventSourceUserData,
                              SharedEventSource::syntheticMarker);
  postEvent_(*event);
  // Checked first so a drag frame builds no log text unless debug lines are wanted.
  if (platform::Log::debugEnabled()) {
    logger.debug("drag %{public}s at (%{public}f, %{public}f) delta (%{public}f, %{public}f)",
                 {platform::toString(type), position.x, position.y, deltaX, deltaY});
  }
}

}  // namespace tactora
