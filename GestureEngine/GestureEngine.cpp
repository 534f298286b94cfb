#include "GestureEngine/GestureEngine.h"

#include <utility>

namespace tactora {

namespace {

UptimeClock orMonotonic(UptimeClock clock) {
  if (clock) {
    return clock;
  }
  return [] { return monotonicUptimeSeconds(); };
}

}  // namespace

GestureEngine::GestureEngine(const RecognitionConfig& config, UptimeClock clock)
    : config_(config),
      tapRecognizer_(orMonotonic(clock)),
      swipeRecognizer_(orMonotonic(std::move(clock))) {}

void GestureEngine::updateConfig(const RecognitionConfig& config) {
  std::lock_guard guard(lock_);
  config_ = config;
}

void GestureEngine::process(const BorrowedFrame& frame, const GestureEmit& emit) {
  std::lock_guard guard(lock_);
  tapRecognizer_.process(frame, config_, emit);
  // The dragging finger and the mouse's motion make swipe- and pinch-like movements that are not
  // meant as such: while a drag runs those recognizers only follow their sessions.
  if (tapRecognizer_.isDragging()) {
    swipeRecognizer_.processSilently(frame, config_);
    pinchRecognizer_.processSilently(frame, config_);
  } else {
    swipeRecognizer_.process(frame, config_, emit);
    pinchRecognizer_.process(frame, config_, emit);
  }
}

void GestureEngine::reset(const GestureEmit& emit) {
  std::lock_guard guard(lock_);
  tapRecognizer_.reset(emit);
  swipeRecognizer_.reset(emit);
  pinchRecognizer_.reset(emit);
}

bool GestureEngine::isDragging() const {
  std::lock_guard guard(lock_);
  return tapRecognizer_.isDragging();
}

DragState GestureEngine::dragState() const {
  std::lock_guard guard(lock_);
  return tapRecognizer_.dragState();
}

}  // namespace tactora
