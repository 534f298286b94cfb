#pragma once

#include <cstdint>
#include <optional>

#include "GestureEngine/ContactIdSet.h"
#include "GestureEngine/ContactTable.h"
#include "GestureEngine/DragState.h"
#include "GestureEngine/SampleRing.h"
#include "GestureEngine/TouchRecognizing.h"
#include "GestureEngine/UptimeClock.h"

namespace tactora {

// Follows every contact from touch-down to lift and turns tap sessions into taps, double and triple
// taps and right-zone taps; the same contacts also drive click-and-drag with a resting finger and
// scrolling with a second finger during such a drag.
class TapRecognizer final : public TouchRecognizing {
 public:
  // What the recognizer knows about one contact that is down.
  struct ContactState {
    double startTime = 0;
    PointF startPosition;
    PointF startCursorPosition;  // display points
    float maxDeviationMM = 0;
    float peakSize = 0;
    PointF lastPosition;
    SampleRing recent;
    std::optional<PointF> settledPosition;
    double settledTime = 0;
  };

  explicit TapRecognizer(UptimeClock clock);

  void process(const BorrowedFrame& frame, const RecognitionConfig& config,
               const GestureEmit& emit) override;
  void reset(const GestureEmit& emit) override;

  DragState dragState() const { return dragState_; }
  bool isDragging() const {
    return dragState_ == DragState::dragging || dragState_ == DragState::draggingWithScroll;
  }

 private:
  using ContactID = std::int32_t;

  // What one frame's touches are judged against.
  struct FrameContext {
    const BorrowedFrame& frame;
    const RecognitionConfig& config;
    const GestureEmit& emit;
    double now;
  };

  enum class SecondFingerOutcome { adoptedAsScrollFinger, pendingScrollFinger, rolesCleared };

  void touchDown(const Touch& touch, const FrameContext& context);
  void contactMoved(const Touch& touch, const FrameContext& context);
  void lift(const Touch& touch, const FrameContext& context);

  bool holdsDragFinger(ContactID id) const;
  bool holdsScrollFinger(ContactID id) const;
  bool holdsPendingScrollFinger(ContactID id) const;
  bool isSoleFinger(ContactID id) const;
  bool findsSlide(const ContactState& state, const RecognitionConfig& config,
                  SizeF surfaceSizeMM) const;
  // Once the last finger of the session is up: closes the session and fires the tap it made (a
  // tap, multi-tap or corner tap) unless it was disqualified or debounced.
  void fireTapWhenSessionEnds(const FrameContext& context);

  void selectDragCandidate(ContactID id, const FrameContext& context);
  SecondFingerOutcome handleSecondFinger(ContactID id, PointF position,
                                         const FrameContext& context);
  void dragFingerMoved(ContactID id, const FrameContext& context);
  void scrollFingerMoved(PointF position, const FrameContext& context);
  void scrollFingerLifted(const FrameContext& context);
  // Leaves every drag role; a running drag ends with `dragEnded`.
  void dropDragRoles(const GestureEmit& emit);
  void adoptScrollFinger(ContactID id, PointF position, std::optional<PointF> deadzoneAnchor,
                         double now);

  UptimeClock clock_;

  ContactTable<ContactState> contacts_;
  ContactIdSet tapSessionFingerIDs_;
  int tapSessionQualifiedLifts_ = 0;
  bool tapSessionDisqualified_ = false;
  std::optional<PointF> tapSessionTapPosition_;
  double lastFireTime_;
  double lastSingleTapTime_;
  std::optional<int> recentTapFingers_;
  int recentTapStreak_ = 0;
  double recentTapTime_;
  DragState dragState_ = DragState::idle;
  // The drag candidate, which becomes the drag finger; meaningful in every state but idle.
  ContactID dragFingerID_ = 0;
  // The second finger: waiting while armedWithPending, scrolling while draggingWithScroll.
  ContactID scrollFingerID_ = 0;
  PointF scrollLastPosition_;
  PointF scrollVelocity_;  // mm/s
  double scrollLastMoveTime_ = 0;
  // Where a finger that was resting at drag start lay; it scrolls only once it has left it.
  std::optional<PointF> scrollDeadzoneAnchor_;
};

}  // namespace tactora
