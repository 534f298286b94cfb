#pragma once

#include <cstddef>
#include <functional>

#include <nlohmann/json_fwd.hpp>

#include "GestureEngine/Expected.h"
#include "GestureEngine/GestureEvent.h"
#include "Tactora/config/ModifierSet.h"

namespace tactora {

// What must happen for a binding to fire: a gesture and the modifiers held with it. Two triggers
// are equal when both parts are; that equality decides whether a trigger is already bound.
struct Trigger {
  GestureEvent gesture;
  ModifierSet modifiers;

  friend bool operator==(const Trigger&, const Trigger&) = default;
  std::size_t hash() const;
};

// {"gesture": {...}, "modifiers": 0}
nlohmann::json toJson(const Trigger& trigger);
// Both members are required; "modifiers" must be an integer from 0 to 255.
Expected<Trigger> decodeTrigger(const nlohmann::json& value);

}  // namespace tactora

template <>
struct std::hash<tactora::Trigger> {
  std::size_t operator()(const tactora::Trigger& trigger) const { return trigger.hash(); }
};
