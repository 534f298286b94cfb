#include "GestureEngine/GestureEvent.h"

#include <utility>

#include "GestureEngine/Hashing.h"
#include "GestureEngine/JsonCoding.h"

namespace tactora {

namespace {

enum class Payload { none, fingers, fingersDirection, direction, floatPair };

Payload payloadOf(GestureEvent::Case kind) {
  using C = GestureEvent::Case;
  switch (kind) {
    case C::tap:
    case C::doubleTap:
    case C::tripleTap:
      return Payload::fingers;
    case C::swipe:
      return Payload::fingersDirection;
    case C::pinch:
      return Payload::direction;
    case C::dragBegan:
    case C::dragScrollMoved:
    case C::dragScrollEnded:
      return Payload::floatPair;
    case C::rightZoneTap:
    case C::dragMoved:
    case C::dragEnded:
    case C::swipeCandidateBegan:
      return Payload::none;
  }
  return Payload::none;
}

// Labels of the two floats of the float-pair cases.
std::pair<std::string_view, std::string_view> floatLabels(GestureEvent::Case kind) {
  using C = GestureEvent::Case;
  switch (kind) {
    case C::dragBegan:
      return {"startX", "startY"};
    case C::dragScrollMoved:
      return {"deltaX", "deltaY"};
    case C::dragScrollEnded:
      return {"velocityX", "velocityY"};
    case C::tap:
    case C::rightZoneTap:
    case C::swipe:
    case C::pinch:
    case C::doubleTap:
    case C::tripleTap:
    case C::dragMoved:
    case C::dragEnded:
    case C::swipeCandidateBegan:
      break;
  }
  return {"", ""};
}

}  // namespace

GestureEvent GestureEvent::tap(std::int64_t fingers) {
  return {Case::tap, fingers, Direction::left, 0, 0};
}
GestureEvent GestureEvent::rightZoneTap() {
  return {Case::rightZoneTap, 0, Direction::left, 0, 0};
}
GestureEvent GestureEvent::swipe(std::int64_t fingers, Direction direction) {
  return {Case::swipe, fingers, direction, 0, 0};
}
GestureEvent GestureEvent::pinch(Direction direction) {
  return {Case::pinch, 0, direction, 0, 0};
}
GestureEvent GestureEvent::doubleTap(std::int64_t fingers) {
  return {Case::doubleTap, fingers, Direction::left, 0, 0};
}
GestureEvent GestureEvent::tripleTap(std::int64_t fingers) {
  return {Case::tripleTap, fingers, Direction::left, 0, 0};
}
GestureEvent GestureEvent::dragBegan(float startX, float startY) {
  return {Case::dragBegan, 0, Direction::left, startX, startY};
}
GestureEvent GestureEvent::dragMoved() {
  return {Case::dragMoved, 0, Direction::left, 0, 0};
}
GestureEvent GestureEvent::dragEnded() {
  return {Case::dragEnded, 0, Direction::left, 0, 0};
}
GestureEvent GestureEvent::dragScrollMoved(float deltaX, float deltaY) {
  return {Case::dragScrollMoved, 0, Direction::left, deltaX, deltaY};
}
GestureEvent GestureEvent::dragScrollEnded(float velocityX, float velocityY) {
  return {Case::dragScrollEnded, 0, Direction::left, velocityX, velocityY};
}
GestureEvent GestureEvent::swipeCandidateBegan() {
  return {Case::swipeCandidateBegan, 0, Direction::left, 0, 0};
}

bool operator==(const GestureEvent& a, const GestureEvent& b) {
  if (a.case_ != b.case_) {
    return false;
  }
  switch (payloadOf(a.case_)) {
    case Payload::none:
      return true;
    case Payload::fingers:
      return a.fingers_ == b.fingers_;
    case Payload::fingersDirection:
      return a.fingers_ == b.fingers_ && a.direction_ == b.direction_;
    case Payload::direction:
      return a.direction_ == b.direction_;
    case Payload::floatPair:
      return a.first_ == b.first_ && a.second_ == b.second_;
  }
  return false;
}

std::size_t GestureEvent::hash() const {
  std::size_t seed = static_cast<std::size_t>(case_);
  switch (payloadOf(case_)) {
    case Payload::none:
      break;
    case Payload::fingers:
      hashing::combine(seed, std::hash<std::int64_t>{}(fingers_));
      break;
    case Payload::fingersDirection:
      hashing::combine(seed, std::hash<std::int64_t>{}(fingers_));
      hashing::combine(seed, static_cast<std::size_t>(direction_));
      break;
    case Payload::direction:
      hashing::combine(seed, static_cast<std::size_t>(direction_));
      break;
    case Payload::floatPair:
      hashing::combine(seed, hashing::ofFloat(first_));
      hashing::combine(seed, hashing::ofFloat(second_));
      break;
  }
  return seed;
}

std::string GestureEvent::description() const {
  std::string text(caseName(case_));
  switch (payloadOf(case_)) {
    case Payload::none:
      return text;
    case Payload::fingers:
      return text + "(fingers: " + std::to_string(fingers_) + ")";
    case Payload::fingersDirection:
      return text + "(fingers: " + std::to_string(fingers_) +
             ", direction: " + std::string(toString(direction_)) + ")";
    case Payload::direction:
      return text + "(direction: " + std::string(toString(direction_)) + ")";
    case Payload::floatPair: {
      auto [firstLabel, secondLabel] = floatLabels(case_);
      return text + "(" + std::string(firstLabel) + ": " + json::formatFloat(first_) + ", " +
             std::string(secondLabel) + ": " + json::formatFloat(second_) + ")";
    }
  }
  return text;
}

std::string_view caseName(GestureEvent::Case kind) {
  using C = GestureEvent::Case;
  switch (kind) {
    case C::tap:
      return "tap";
    case C::rightZoneTap:
      return "rightZoneTap";
    case C::swipe:
      return "swipe";
    case C::pinch:
      return "pinch";
    case C::doubleTap:
      return "doubleTap";
    case C::tripleTap:
      return "tripleTap";
    case C::dragBegan:
      return "dragBegan";
    case C::dragMoved:
      return "dragMoved";
    case C::dragEnded:
      return "dragEnded";
    case C::dragScrollMoved:
      return "dragScrollMoved";
    case C::dragScrollEnded:
      return "dragScrollEnded";
    case C::swipeCandidateBegan:
      return "swipeCandidateBegan";
  }
  return "?";
}

nlohmann::json toJson(const GestureEvent& event) {
  auto inner = nlohmann::json::object();
  switch (payloadOf(event.kind())) {
    case Payload::none:
      break;
    case Payload::fingers:
      inner["fingers"] = event.fingers();
      break;
    case Payload::fingersDirection:
      inner["fingers"] = event.fingers();
      inner["direction"] = toJson(event.direction());
      break;
    case Payload::direction:
      inner["direction"] = toJson(event.direction());
      break;
    case Payload::floatPair: {
      auto [firstLabel, secondLabel] = floatLabels(event.kind());
      inner[std::string(firstLabel)] = json::encodeFloat(event.startX());
      inner[std::string(secondLabel)] = json::encodeFloat(event.startY());
      break;
    }
  }
  auto outer = nlohmann::json::object();
  outer[std::string(caseName(event.kind()))] = std::move(inner);
  return outer;
}

Expected<GestureEvent> decodeGestureEvent(const nlohmann::json& value) {
  auto single = json::decodeSingleCase(value, allGestureEventCases, caseName);
  if (!single) {
    return std::move(single).error();
  }
  const auto kind = single->kind;
  const auto name = caseName(kind);
  const auto& inner = *single->payload;
  auto fail = [&](InputError error) { return std::move(error).at(name); };
  switch (payloadOf(kind)) {
    case Payload::none:
      return GestureEvent(kind == GestureEvent::Case::rightZoneTap ? GestureEvent::rightZoneTap()
                          : kind == GestureEvent::Case::dragMoved  ? GestureEvent::dragMoved()
                          : kind == GestureEvent::Case::dragEnded
                              ? GestureEvent::dragEnded()
                              : GestureEvent::swipeCandidateBegan());
    case Payload::fingers: {
      auto fingers = json::decodeMember(inner, "fingers", json::decodeInt64);
      if (!fingers) {
        return fail(std::move(fingers).error());
      }
      return kind == GestureEvent::Case::tap         ? GestureEvent::tap(*fingers)
             : kind == GestureEvent::Case::doubleTap ? GestureEvent::doubleTap(*fingers)
                                                     : GestureEvent::tripleTap(*fingers);
    }
    case Payload::fingersDirection: {
      auto fingers = json::decodeMember(inner, "fingers", json::decodeInt64);
      if (!fingers) {
        return fail(std::move(fingers).error());
      }
      auto direction = json::decodeMember(inner, "direction", decodeDirection);
      if (!direction) {
        return fail(std::move(direction).error());
      }
      return GestureEvent::swipe(*fingers, *direction);
    }
    case Payload::direction: {
      auto direction = json::decodeMember(inner, "direction", decodeDirection);
      if (!direction) {
        return fail(std::move(direction).error());
      }
      return GestureEvent::pinch(*direction);
    }
    case Payload::floatPair: {
      auto [firstLabel, secondLabel] = floatLabels(kind);
      auto first = json::decodeMember(inner, firstLabel, json::decodeFloat);
      if (!first) {
        return fail(std::move(first).error());
      }
      auto second = json::decodeMember(inner, secondLabel, json::decodeFloat);
      if (!second) {
        return fail(std::move(second).error());
      }
      return kind == GestureEvent::Case::dragBegan ? GestureEvent::dragBegan(*first, *second)
             : kind == GestureEvent::Case::dragScrollMoved
                 ? GestureEvent::dragScrollMoved(*first, *second)
                 : GestureEvent::dragScrollEnded(*first, *second);
    }
  }
  return InputError::dataCorrupted("unreachable");
}

}  // namespace tactora
