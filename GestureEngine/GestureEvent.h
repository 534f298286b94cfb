#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "GestureEngine/Direction.h"
#include "GestureEngine/Expected.h"

namespace tactora {

// A recognised gesture. A closed set of twelve cases, some with a payload; a plain value that is
// compared, hashed and stored (as the trigger of a binding) by content. Only the payload fields of
// the event's own case take part in equality and hashing.
class GestureEvent {
 public:
  enum class Case : std::uint8_t {
    tap,
    rightZoneTap,
    swipe,
    pinch,
    doubleTap,
    tripleTap,
    dragBegan,
    dragMoved,
    dragEnded,
    dragScrollMoved,
    dragScrollEnded,
    swipeCandidateBegan,
  };
  static constexpr std::size_t caseCount = 12;

  static GestureEvent tap(std::int64_t fingers);
  static GestureEvent rightZoneTap();
  static GestureEvent swipe(std::int64_t fingers, Direction direction);
  static GestureEvent pinch(Direction direction);
  static GestureEvent doubleTap(std::int64_t fingers);
  static GestureEvent tripleTap(std::int64_t fingers);
  static GestureEvent dragBegan(float startX, float startY);
  static GestureEvent dragMoved();
  static GestureEvent dragEnded();
  static GestureEvent dragScrollMoved(float deltaX, float deltaY);
  static GestureEvent dragScrollEnded(float velocityX, float velocityY);
  static GestureEvent swipeCandidateBegan();

  Case kind() const { return case_; }

  // Payload accessors; each is meaningful only for the cases that carry it.
  std::int64_t fingers() const { return fingers_; }   // tap, doubleTap, tripleTap, swipe
  Direction direction() const { return direction_; }  // swipe, pinch
  float startX() const { return first_; }             // dragBegan
  float startY() const { return second_; }
  float deltaX() const { return first_; }  // dragScrollMoved
  float deltaY() const { return second_; }
  float velocityX() const { return first_; }  // dragScrollEnded
  float velocityY() const { return second_; }

  friend bool operator==(const GestureEvent& a, const GestureEvent& b);

  std::size_t hash() const;

  // The textual form used in log lines: `swipe(fingers: 2, direction: left)`, `rightZoneTap`,
  // `dragBegan(startX: 100.0, startY: 200.0)`.
  std::string description() const;

 private:
  GestureEvent(Case kind, std::int64_t fingers, Direction direction, float first, float second)
      : case_(kind), direction_(direction), fingers_(fingers), first_(first), second_(second) {}

  Case case_;
  Direction direction_;
  std::int64_t fingers_;
  float first_;
  float second_;
};

std::string_view caseName(GestureEvent::Case kind);  // "tap", "rightZoneTap", ...
inline constexpr std::array<GestureEvent::Case, GestureEvent::caseCount> allGestureEventCases{
    GestureEvent::Case::tap,
    GestureEvent::Case::rightZoneTap,
    GestureEvent::Case::swipe,
    GestureEvent::Case::pinch,
    GestureEvent::Case::doubleTap,
    GestureEvent::Case::tripleTap,
    GestureEvent::Case::dragBegan,
    GestureEvent::Case::dragMoved,
    GestureEvent::Case::dragEnded,
    GestureEvent::Case::dragScrollMoved,
    GestureEvent::Case::dragScrollEnded,
    GestureEvent::Case::swipeCandidateBegan,
};

// {"swipe":{"direction":"left","fingers":2}}; payload-less cases hold an empty object.
nlohmann::json toJson(const GestureEvent& event);
Expected<GestureEvent> decodeGestureEvent(const nlohmann::json& value);

}  // namespace tactora

template <>
struct std::hash<tactora::GestureEvent> {
  std::size_t operator()(const tactora::GestureEvent& event) const { return event.hash(); }
};
