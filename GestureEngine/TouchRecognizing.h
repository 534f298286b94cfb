#pragma once

#include <functional>

#include "GestureEngine/BorrowedFrame.h"
#include "GestureEngine/GestureEvent.h"
#include "GestureEngine/RecognitionConfig.h"

namespace tactora {

// Receives each recognised event, synchronously, on the thread that fed the frame.
using GestureEmit = std::function<void(const GestureEvent&)>;

// What the engine's recognizers share: they consume frames, keep their own per-contact state and
// report results only through the emit callback. Recognizers have identity and are never copied.
class TouchRecognizing {
 public:
  virtual ~TouchRecognizing() = default;
  TouchRecognizing(const TouchRecognizing&) = delete;
  TouchRecognizing& operator=(const TouchRecognizing&) = delete;

  virtual void process(const BorrowedFrame& frame, const RecognitionConfig& config,
                       const GestureEmit& emit) = 0;

  // Forgets every contact and all session state. May emit (a running drag reports its end).
  virtual void reset(const GestureEmit& emit) = 0;

 protected:
  TouchRecognizing() = default;
};

}  // namespace tactora
