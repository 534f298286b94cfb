#include "Tactora/config/GestureBinding.h"

#include <nlohmann/json.hpp>

#include "GestureEngine/JsonCoding.h"

namespace tactora {

nlohmann::json toJson(const GestureBinding& binding) {
  auto object = nlohmann::json::object();
  object["action"] = toJson(binding.action);
  object["trigger"] = toJson(binding.trigger);
  return object;
}

Decoded<GestureBinding> decodeGestureBinding(const nlohmann::json& value) {
  if (auto isObject = json::requireObject(value); !isObject) {
    return std::move(isObject).error();
  }
  auto trigger = json::decodeMember(value, "trigger", decodeTrigger);
  if (!trigger) {
    return std::move(trigger).error();
  }
  auto action = json::decodeMember(value, "action", decodeAction);
  if (!action) {
    return std::move(action).error();
  }
  return GestureBinding{std::move(trigger).value(), std::move(action).value()};
}

}  // namespace tactora
