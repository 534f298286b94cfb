#include "Tactora/presentation/GestureDescription.h"

#include <cctype>
#include <limits>

namespace tactora::GestureDescription {

namespace {

constexpr std::int64_t lastKey = std::numeric_limits<std::int64_t>::max();

// 100 × fingers + offset, saturated into [min, max - 1] (see sortKey).
std::int64_t fingerKey(std::int64_t fingers, std::int64_t offset) {
  constexpr std::int64_t lowest = std::numeric_limits<std::int64_t>::min();
  constexpr std::int64_t highest = lastKey - 1;
  std::int64_t scaled = 0;
  std::int64_t key = 0;
  if (__builtin_mul_overflow(fingers, std::int64_t{100}, &scaled) ||
      __builtin_add_overflow(scaled, offset, &key)) {
    return fingers < 0 ? lowest : highest;
  }
  return key > highest ? highest : key;
}

// "Left", "Right", "Up", "Down": the raw value with a capital initial.
std::string directionTitle(Direction direction) {
  std::string text(toString(direction));
  text.front() = static_cast<char>(std::toupper(static_cast<unsigned char>(text.front())));
  return text;
}

std::int64_t directionOffset(Direction direction) {
  switch (direction) {
    case Direction::up:
      return 0;
    case Direction::down:
      return 1;
    case Direction::left:
      return 2;
    case Direction::right:
      return 3;
  }
  return 0;
}

}  // namespace

std::optional<Category> categoryFromRaw(std::int64_t rawValue) {
  if (rawValue < 0 || rawValue > 3) {
    return std::nullopt;
  }
  return static_cast<Category>(rawValue);
}

std::string_view title(Category category) {
  switch (category) {
    case Category::taps:
      return "Taps";
    case Category::swipes:
      return "Swipes";
    case Category::pinch:
      return "Pinch";
    case Category::other:
      return "Other";
  }
  return "";
}

Category category(const GestureEvent& event) {
  using C = GestureEvent::Case;
  switch (event.kind()) {
    case C::tap:
    case C::doubleTap:
    case C::tripleTap:
    case C::rightZoneTap:
      return Category::taps;
    case C::swipe:
      return Category::swipes;
    case C::pinch:
      return Category::pinch;
    case C::dragBegan:
    case C::dragMoved:
    case C::dragEnded:
    case C::dragScrollMoved:
    case C::dragScrollEnded:
    case C::swipeCandidateBegan:
      return Category::other;
  }
  return Category::other;
}

// Title and sort key follow the category; within a category only what differs is told apart.
std::string title(const GestureEvent& event) {
  using C = GestureEvent::Case;
  const std::string fingers = std::to_string(event.fingers());
  switch (category(event)) {
    case Category::taps:
      if (event.kind() == C::rightZoneTap) {
        return "Right-Side Tap";
      }
      return fingers + (event.kind() == C::doubleTap   ? "-Finger Double Tap"
                        : event.kind() == C::tripleTap ? "-Finger Triple Tap"
                                                       : "-Finger Tap");
    case Category::swipes:
      return fingers + "-Finger Swipe " + directionTitle(event.direction());
    case Category::pinch:
      return event.direction() == Direction::up ? "Spread" : "Pinch";
    case Category::other:
      return event.kind() == C::swipeCandidateBegan ? "(internal)" : "Click and Drag";
  }
  return "";
}

std::int64_t sortKey(const GestureEvent& event) {
  using C = GestureEvent::Case;
  switch (category(event)) {
    case Category::taps:
      if (event.kind() == C::rightZoneTap) {
        return 110;
      }
      return fingerKey(event.fingers(), event.kind() == C::doubleTap   ? 20
                                        : event.kind() == C::tripleTap ? 30
                                                                       : 0);
    case Category::swipes:
      return fingerKey(event.fingers(), directionOffset(event.direction()));
    case Category::pinch:
      return event.direction() == Direction::down ? 0 : 1;
    case Category::other:
      return lastKey;
  }
  return lastKey;
}

}  // namespace tactora::GestureDescription
