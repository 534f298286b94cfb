#pragma once

#include "GestureEngine/ContactTable.h"
#include "GestureEngine/TouchRecognizing.h"

namespace tactora {

// Recognises two fingers moving apart (spread, `up`) or together (pinch, `down`), at most once per
// session. A session in which a third finger joined two others never fires. Uses no clock.
class PinchRecognizer final : public TouchRecognizing {
 public:
  struct ContactState {
    PointF startPosition;
    PointF lastPosition;
  };

  PinchRecognizer() = default;

  void process(const BorrowedFrame& frame, const RecognitionConfig& config,
               const GestureEmit& emit) override;

  // Used while a drag is under way: a pinch that would fire only marks the session as fired.
  void processSilently(const BorrowedFrame& frame, const RecognitionConfig& config);

  void reset(const GestureEmit& emit) override;

 private:
  // `emit` is null for the silent variant.
  void run(const BorrowedFrame& frame, const RecognitionConfig& config, const GestureEmit* emit);

  ContactTable<ContactState> contacts_;
  bool thirdFingerJoined_ = false;
  bool hasFiredThisSession_ = false;
};

}  // namespace tactora
