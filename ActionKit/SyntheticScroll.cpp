#include "ActionKit/SyntheticScroll.h"

#include <cmath>
#include <limits>
#include <utility>

#include "ActionKit/PerPlatform.h"
#include "ActionKit/SharedEventSource.h"
#include "ActionKit/SyntheticInput.h"

namespace tactora {

namespace {

constexpr float momentumStepFactor = 1.0f / 60.0f;

// Nearest integer in single precision, halves away from zero. Non-finite amounts scroll nothing
// and amounts beyond the 32-bit wheel range are clamped instead of converted out of range.
std::int32_t roundedWheel(float pixels) {
  if (!std::isfinite(pixels)) {
    return 0;
  }
  const float rounded = std::round(pixels);
  constexpr float limit = 2147483648.0f;  // 2^31
  if (rounded >= limit) {
    return std::numeric_limits<std::int32_t>::max();
  }
  if (rounded < -limit) {
    return std::numeric_limits<std::int32_t>::min();
  }
  return static_cast<std::int32_t>(rounded);
}

}  // namespace

std::shared_ptr<SyntheticScroll> SyntheticScroll::create(platform::Platform& platform,
                                                         PostEvent postEvent) {
  return std::make_shared<SyntheticScroll>(ConstructionKey{}, platform, std::move(postEvent));
}

std::shared_ptr<SyntheticScroll> SyntheticScroll::create(platform::Platform& platform) {
  return create(platform, postingAtHID(platform));
}

SyntheticScroll& SyntheticScroll::shared() {
  return PerPlatform<SyntheticScroll>::shared();
}

SyntheticScroll::SyntheticScroll(ConstructionKey, platform::Platform& platform, PostEvent postEvent)
    : platform_(platform), postEvent_(std::move(postEvent)) {}

SyntheticScroll::~SyntheticScroll() {
  // The queue keeps a valid timer alive; invalidating it ends ticks that could no longer stop
  // themselves.
  std::lock_guard lock(lock_);
  if (momentumTimer_) {
    momentumTimer_->invalidate();
  }
}

void SyntheticScroll::scroll(float dx, float dy) {
  stopMomentum();
  postScroll(dx, dy);
}

void SyntheticScroll::startMomentum(float vx, float vy) {
  // The lock is held from cancelling the old timer to storing the new one, so two overlapping
  // starts can never leave an unreferenced timer running.
  std::lock_guard lock(lock_);
  if (momentumTimer_) {
    momentumTimer_->invalidate();
    momentumTimer_.reset();
  }
  // Negated so that a non-finite speed starts nothing either.
  if (!(std::sqrt(vx * vx + vy * vy) > momentumStopSpeedPixelsPerSecond)) {
    return;
  }
  const std::uint64_t generation = ++momentumGeneration_;
  std::weak_ptr<SyntheticScroll> weakSelf = weak_from_this();
  momentumTimer_ = platform_.dispatch().globalUserInteractive().scheduleRepeating(
      momentumTickSeconds, [weakSelf, generation, vx, vy]() mutable {
        vx *= momentumDecay;
        vy *= momentumDecay;
        const auto self = weakSelf.lock();
        if (std::sqrt(vx * vx + vy * vy) > momentumStopSpeedPixelsPerSecond) {
          if (self) {
            self->postScroll(vx * momentumStepFactor, vy * momentumStepFactor);
          }
        } else if (self) {
          self->stopMomentum(generation);
        }
      });
}

void SyntheticScroll::stopMomentum() {
  std::lock_guard lock(lock_);
  if (momentumTimer_) {
    momentumTimer_->invalidate();
    momentumTimer_.reset();
  }
}

void SyntheticScroll::stopMomentum(std::uint64_t generation) {
  std::lock_guard lock(lock_);
  if (momentumTimer_ && generation == momentumGeneration_) {
    momentumTimer_->invalidate();
    momentumTimer_.reset();
  }
}

bool SyntheticScroll::isMomentumRunning() const {
  std::lock_guard lock(lock_);
  return momentumTimer_ != nullptr;
}

void SyntheticScroll::postScroll(float dx, float dy) const {
  const std::int32_t vertical = roundedWheel(dy);
  const std::int32_t horizontal = roundedWheel(dx);
  if (vertical == 0 && horizontal == 0) {
    return;
  }
  const auto source = SharedEventSource::source(platform_);
  if (!source) {
    return;
  }
  auto event = platform_.events().createScrollWheelEvent(&*source, platform::ScrollEventUnit::pixel,
                                                         2, vertical, horizontal);
  if (!event) {
    return;
  }
  event->setIntegerValueField(platform::EventField::eventSourceUserData,
                              SharedEventSource::syntheticMarker);
  postEvent_(*event);
}

}  // namespace tactora
