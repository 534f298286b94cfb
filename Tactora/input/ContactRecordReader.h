#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "GestureEngine/PointF.h"
#include "GestureEngine/Touch.h"
#include "Platform/MultitouchProvider.h"

namespace tactora {

// Turns the raw 96-byte contact records of successive frames into the touches the engine sees:
// `began` on a contact's first touching frame, `moved` on every later one, `ended` exactly once
// when it stops touching or vanishes. Keeps its buffers between frames, so a frame with no more
// contacts than seen before allocates nothing.
class ContactRecordReader {
 public:
  // What the pipeline remembers of a contact between frames.
  struct ContactRecord {
    PointF position;
    double touchedDownAt = 0;  // uptime seconds when the contact was first seen touching
  };

  // One record as the device wrote it.
  struct RawContact {
    std::int32_t id = 0;
    std::int32_t state = 0;
    PointF position;
    PointF velocity;
    float size = 0;

    // Only a landing and a touching finger are on the surface; every other state is skipped.
    bool isTouching() const {
      return state == MT_CONTACT_STATE_MAKING_TOUCH || state == MT_CONTACT_STATE_TOUCHING;
    }
  };

  static constexpr std::size_t reservedContacts = 16;

  ContactRecordReader();

  // Reads record `index` of a frame whose records start at `records`.
  static RawContact readRecord(const void* records, std::size_t index);

  // Converts one frame of `count` records at `nowSeconds`. A negative count reads as 0.
  void read(std::int32_t count, const void* records, double nowSeconds);

  // The touches of the last frame, touching ones in device order, then the ended ones.
  std::span<const Touch> touches() const { return touches_; }
  // Touching contacts of the last frame.
  int touchingCount() const { return static_cast<int>(currentIDs_.size()); }
  // The earliest touch-down among the touching contacts of the last frame (its `now` if none).
  double earliestTouchDown() const { return earliestTouchDown_; }
  // No contact is remembered: the surface is empty.
  bool isEmpty() const { return previousContacts_.empty(); }
  const ContactRecord* previousContact(std::int32_t id) const;

  // Forgets every remembered contact (they will not be reported as ended).
  void clear() { previousContacts_.clear(); }

 private:
  std::vector<std::pair<std::int32_t, ContactRecord>> previousContacts_;
  std::vector<Touch> touches_;
  std::vector<std::int32_t> currentIDs_;
  double earliestTouchDown_ = 0;
};

}  // namespace tactora
