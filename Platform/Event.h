#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "Platform/EventField.h"
#include "Platform/EventFlags.h"
#include "Platform/EventType.h"
#include "Platform/Point.h"

namespace tactora::platform {

// One input event as the event system sees it: type, location, flags and integer fields by
// number. A fixed-size value (no allocation), created by `Events`, changed by its users, posted or
// passed on by a tap.
class Event {
 public:
  struct Field {
    EventField field;
    std::int64_t value;
    friend bool operator==(const Field&, const Field&) = default;
  };
  static constexpr std::size_t maxFields = 16;

  Event() = default;
  explicit Event(EventType type, Point location = {}, EventFlags flags = 0)
      : type_(type), location_(location), flags_(flags) {}

  EventType type() const { return type_; }
  void setType(EventType type) { type_ = type; }
  Point location() const { return location_; }
  void setLocation(Point location) { location_ = location; }
  EventFlags flags() const { return flags_; }
  void setFlags(EventFlags flags) { flags_ = flags; }

  // 0 for a field that was never set.
  std::int64_t integerValueField(EventField field) const;
  // Sets or replaces a field. Beyond `maxFields` distinct fields further new fields are dropped;
  // no event of the system carries that many.
  void setIntegerValueField(EventField field, std::int64_t value);
  // The fields set so far, in the order they were first set.
  std::span<const Field> fields() const { return {fields_.data(), fieldCount_}; }

  // Same type, location, flags and the same field values, regardless of setting order.
  friend bool operator==(const Event& a, const Event& b);

 private:
  EventType type_ = EventType::null;
  Point location_{};
  EventFlags flags_ = 0;
  std::array<Field, maxFields> fields_{};
  std::size_t fieldCount_ = 0;
};

}  // namespace tactora::platform
