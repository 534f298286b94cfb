#pragma once

#include <mutex>

#include "GestureEngine/PinchRecognizer.h"
#include "GestureEngine/SwipeRecognizer.h"
#include "GestureEngine/TapRecognizer.h"
#include "GestureEngine/TouchRecognizing.h"
#include "GestureEngine/UptimeClock.h"

namespace tactora {

// The entry point of gesture recognition: owns the tuning and the three recognizers and turns each
// frame into zero or more events, delivered synchronously through the emit callback.
//
// Every operation holds one non-recursive lock for its whole run, and the emit callback runs under
// it: the callback must hand the event on and return, never call back into the engine.
class GestureEngine {
 public:
  using UptimeClock = tactora::UptimeClock;  // seconds

  // An empty clock means the system's monotonic clock.
  explicit GestureEngine(const RecognitionConfig& config, UptimeClock clock = {});
  GestureEngine(const GestureEngine&) = delete;
  GestureEngine& operator=(const GestureEngine&) = delete;

  // Takes effect from the next frame; contacts and sessions under way carry on. Emits nothing.
  void updateConfig(const RecognitionConfig& config);

  // Tap events first (in the order of the frame's touches), then swipe, then pinch events. While a
  // drag is in progress swipe and pinch only track their sessions and emit nothing.
  void process(const BorrowedFrame& frame, const GestureEmit& emit);

  // Forgets every contact and session; a drag in progress reports `dragEnded` first.
  void reset(const GestureEmit& emit);

  bool isDragging() const;
  DragState dragState() const;

 private:
  mutable std::mutex lock_;
  RecognitionConfig config_;
  TapRecognizer tapRecognizer_;
  SwipeRecognizer swipeRecognizer_;
  PinchRecognizer pinchRecognizer_;
};

}  // namespace tactora
