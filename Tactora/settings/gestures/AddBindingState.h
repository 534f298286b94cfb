#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ActionKit/ActionKind.h"
#include "GestureEngine/Direction.h"
#include "Tactora/config/GestureBinding.h"
#include "Tactora/config/ModifierSet.h"

namespace tactora {

// What the add-gesture sheet has chosen so far, and the binding it makes. Keeps the choice valid
// as it changes: a one-finger swipe is horizontal only, so choosing one finger while Up or Down is
// set turns the direction to Left.
class AddBindingState {
 public:
  // The gesture families the sheet offers, in display order.
  enum class Shape : std::uint8_t { tap, doubleTap, tripleTap, rightZoneTap, swipe, pinch };
  static constexpr std::array<Shape, 6> allShapes{Shape::tap,       Shape::doubleTap,
                                                  Shape::tripleTap, Shape::rightZoneTap,
                                                  Shape::swipe,     Shape::pinch};
  static constexpr std::int64_t minimumFingers = 1;
  static constexpr std::int64_t maximumFingers = 3;

  static std::string_view title(Shape shape);  // "Tap", "Double Tap", ..., "Right-Side Tap"

  Shape shape() const { return shape_; }
  std::int64_t fingers() const { return fingers_; }
  Direction direction() const { return direction_; }
  bool pinchSpreads() const { return pinchSpreads_; }
  ModifierSet modifiers() const { return modifiers_; }
  ActionKind kind() const { return kind_; }
  std::uint16_t keyCode() const { return keyCode_; }
  std::uint64_t keyModifiers() const { return keyModifiers_; }
  const std::string& shellCommand() const { return shellCommand_; }

  void setShape(Shape shape);
  // Clamped to 1...3.
  void setFingers(std::int64_t fingers);
  // Ignored when the direction is not offered for the current finger count.
  void setDirection(Direction direction);
  void setPinchSpreads(bool spreads) { pinchSpreads_ = spreads; }
  void setModifier(ModifierSet modifier, bool on);
  void setKind(ActionKind kind) { kind_ = kind; }
  void setShortcut(std::uint16_t keyCode, std::uint64_t modifiers);
  void setShellCommand(std::string command) { shellCommand_ = std::move(command); }

  // Swipe directions offered now: Left and Right, plus Up and Down from two fingers.
  std::vector<Direction> offeredDirections() const;
  // Whether the shape takes a finger count.
  bool usesFingers() const;

  Trigger trigger() const;
  Action action() const;
  GestureBinding binding() const { return {trigger(), action()}; }

 private:
  void keepDirectionValid();

  Shape shape_ = Shape::tap;
  std::int64_t fingers_ = 1;
  Direction direction_ = Direction::left;
  bool pinchSpreads_ = true;
  ModifierSet modifiers_;
  ActionKind kind_ = ActionKind::leftClick;
  std::uint16_t keyCode_ = 0;
  std::uint64_t keyModifiers_ = 0;
  std::string shellCommand_;
};

}  // namespace tactora
