#pragma once

#include <nlohmann/json_fwd.hpp>

#include "ActionKit/Action.h"
#include "GestureEngine/Decoded.h"
#include "Tactora/config/Trigger.h"

namespace tactora {

// One line of a profile: when `trigger` happens, `action` runs.
struct GestureBinding {
  Trigger trigger;
  Action action;

  friend bool operator==(const GestureBinding&, const GestureBinding&) = default;
};

// {"action": {...}, "trigger": {...}}
nlohmann::json toJson(const GestureBinding& binding);
// Both members are required; an unknown gesture or action case fails.
Decoded<GestureBinding> decodeGestureBinding(const nlohmann::json& value);

}  // namespace tactora
