#include "Tactora/HeadsUpCountdown.h"

#include <chrono>

namespace tactora {

namespace {

double monotonicSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

}  // namespace

HeadsUpCountdown::HeadsUpCountdown(platform::DispatchQueue& mainQueue,
                                   std::function<double()> nowSeconds, HeadsUpTiming timing,
                                   Hooks hooks)
    : mainQueue_(mainQueue),
      nowSeconds_(nowSeconds ? std::move(nowSeconds) : monotonicSeconds),
      timing_(timing),
      hooks_(std::move(hooks)) {}

HeadsUpCountdown::~HeadsUpCountdown() {
  if (hideWorkItem_) {
    hideWorkItem_->cancel();
  }
  stopFade();
}

void HeadsUpCountdown::restart() {
  if (hideWorkItem_) {
    hideWorkItem_->cancel();
  }
  stopFade();
  shown_ = true;
  setAlpha(1.0);
  std::weak_ptr<HeadsUpCountdown> weak = weak_from_this();
  hideWorkItem_ = mainQueue_.asyncAfter(timing_.shownSeconds, [weak] {
    if (auto self = weak.lock()) {
      self->fadeOut();
    }
  });
}

void HeadsUpCountdown::fadeOut() {
  hideWorkItem_.reset();
  fadeStartedAt_ = nowSeconds_();
  std::weak_ptr<HeadsUpCountdown> weak = weak_from_this();
  fadeTimer_ = mainQueue_.scheduleRepeating(fadeStepSeconds, [weak] {
    if (auto self = weak.lock()) {
      self->fadeStep();
    }
  });
}

void HeadsUpCountdown::fadeStep() {
  const double progress = (nowSeconds_() - fadeStartedAt_) / timing_.fadeSeconds;
  // Steps of a sixtieth add up to the fade time only within rounding.
  if (progress < 1.0 - 1e-6) {
    setAlpha(1.0 - progress);
    return;
  }
  stopFade();
  shown_ = false;
  setAlpha(0);
  if (hooks_.hidden) {
    hooks_.hidden();
  }
}

void HeadsUpCountdown::setAlpha(double alpha) {
  alpha_ = alpha;
  if (hooks_.alphaChanged) {
    hooks_.alphaChanged(alpha);
  }
}

void HeadsUpCountdown::stopFade() {
  if (fadeTimer_) {
    fadeTimer_->invalidate();
    fadeTimer_.reset();
  }
}

}  // namespace tactora
