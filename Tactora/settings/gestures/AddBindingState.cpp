#include "Tactora/settings/gestures/AddBindingState.h"

#include <algorithm>

namespace tactora {

std::string_view AddBindingState::title(Shape shape) {
  switch (shape) {
    case Shape::tap:
      return "Tap";
    case Shape::doubleTap:
      return "Double Tap";
    case Shape::tripleTap:
      return "Triple Tap";
    case Shape::rightZoneTap:
      return "Right-Side Tap";
    case Shape::swipe:
      return "Swipe";
    case Shape::pinch:
      return "Pinch";
  }
  return "?";
}

void AddBindingState::setShape(Shape shape) {
  shape_ = shape;
  keepDirectionValid();
}

void AddBindingState::setFingers(std::int64_t fingers) {
  fingers_ = std::clamp(fingers, minimumFingers, maximumFingers);
  keepDirectionValid();
}

void AddBindingState::setDirection(Direction direction) {
  const auto offered = offeredDirections();
  if (std::find(offered.begin(), offered.end(), direction) != offered.end()) {
    direction_ = direction;
  }
}

void AddBindingState::setModifier(ModifierSet modifier, bool on) {
  if (on) {
    modifiers_.insert(modifier);
  } else {
    modifiers_.remove(modifier);
  }
}

void AddBindingState::setShortcut(std::uint16_t keyCode, std::uint64_t modifiers) {
  keyCode_ = keyCode;
  keyModifiers_ = modifiers;
}

std::vector<Direction> AddBindingState::offeredDirections() const {
  if (fingers_ >= 2) {
    return {Direction::left, Direction::right, Direction::up, Direction::down};
  }
  return {Direction::left, Direction::right};
}

bool AddBindingState::usesFingers() const {
  switch (shape_) {
    case Shape::tap:
    case Shape::doubleTap:
    case Shape::tripleTap:
    case Shape::swipe:
      return true;
    case Shape::rightZoneTap:
    case Shape::pinch:
      return false;
  }
  return false;
}

void AddBindingState::keepDirectionValid() {
  // With one finger, vertical motion is scrolling, so there is no vertical one-finger swipe.
  if (shape_ == Shape::swipe && fingers_ == 1 &&
      (direction_ == Direction::up || direction_ == Direction::down)) {
    direction_ = Direction::left;
  }
}

Trigger AddBindingState::trigger() const {
  GestureEvent gesture = GestureEvent::tap(fingers_);
  switch (shape_) {
    case Shape::tap:
      break;
    case Shape::doubleTap:
      gesture = GestureEvent::doubleTap(fingers_);
      break;
    case Shape::tripleTap:
      gesture = GestureEvent::tripleTap(fingers_);
      break;
    case Shape::rightZoneTap:
      gesture = GestureEvent::rightZoneTap();
      break;
    case Shape::swipe:
      gesture = GestureEvent::swipe(fingers_, direction_);
      break;
    case Shape::pinch:
      gesture = GestureEvent::pinch(pinchSpreads_ ? Direction::up : Direction::down);
      break;
  }
  return {gesture, modifiers_};
}

Action AddBindingState::action() const {
  return makeAction(kind_, keyCode_, keyModifiers_, shellCommand_);
}

}  // namespace tactora
