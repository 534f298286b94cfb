#pragma once

#include <cstddef>
#include <functional>

#include <nlohmann/json_fwd.hpp>

#include "ActionKit/Action.h"
#include "GestureEngine/Expected.h"
#include "Tactora/config/Trigger.h"

namespace tactora {

// One line of a profile: when `trigger` happens, `action` runs.
struct GestureBinding {
  Trigger trigger;
  Action action;

  friend bool operator==(const GestureBinding&, const GestureBinding&) = default;
  std::size_t hash() const;
};

// {"action": {...}, "trigger": {...}}
nlohmann::json toJson(const GestureBinding& binding);
// Both members are required; an unknown gesture or action case fails.
Expected<GestureBinding> decodeGestureBinding(const nlohmann::json& value);

}  // namespace tactora

template <>
struct std::hash<tactora::GestureBinding> {
  std::size_t operator()(const tactora::GestureBinding& binding) const { return binding.hash(); }
};
