#pragma once

#include <optional>

#include "GestureEngine/ContactTable.h"
#include "GestureEngine/Direction.h"
#include "GestureEngine/TouchRecognizing.h"
#include "GestureEngine/UptimeClock.h"

namespace tactora {

// Recognises one or more fingers sliding together across the surface while the mouse stays still:
// at most one swipe per session (touch-down of the first finger to lift of the last), announced
// earlier by at most one swipe candidate so native scrolling can be held back in time.
class SwipeRecognizer final : public TouchRecognizing {
 public:
  struct ContactState {
    double startTime = 0;
    PointF startPosition;
    PointF lastPosition;
  };

  // The common movement of the contacts still down.
  struct Movement {
    Direction direction;
    float travelMM;     // mean displacement along the dominant axis
    float speedMMPerS;  // travel over the time since the earliest touch-down
  };

  explicit SwipeRecognizer(UptimeClock clock);

  void process(const BorrowedFrame& frame, const RecognitionConfig& config,
               const GestureEmit& emit) override;

  // Used while a drag is under way: the same steps as process, but a candidate or swipe only marks
  // the session as signalled or fired, so that session stays silent after the drag too.
  void processSilently(const BorrowedFrame& frame, const RecognitionConfig& config);

  void reset(const GestureEmit& emit) override;

  // None when the fingers disagree (one travelled less than half as far as the farthest) or when
  // neither axis beats the other by `dominanceRatio`.
  static std::optional<Movement> analyse(const ContactTable<ContactState>& contacts,
                                         SizeF surfaceSizeMM, float dominanceRatio, double now);

 private:
  // `emit` is null for the silent variant.
  void run(const BorrowedFrame& frame, const RecognitionConfig& config, const GestureEmit* emit);

  UptimeClock clock_;

  ContactTable<ContactState> contacts_;
  int sessionMaxFingers_ = 0;
  bool sessionDisqualified_ = false;
  bool hasSignaledCandidateThisSession_ = false;
  bool hasFiredThisSession_ = false;
};

}  // namespace tactora
