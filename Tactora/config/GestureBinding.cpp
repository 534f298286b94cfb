#include "Tactora/config/GestureBinding.h"

#include <nlohmann/json.hpp>

#include "GestureEngine/Hashing.h"
#include "GestureEngine/JsonCoding.h"
#include "Tactora/config/NamedCaseDecoding.h"

namespace tactora {

namespace {

Expected<Action> decodeActionExplained(const nlohmann::json& value) {
  return decodeNamingUnknownCase<Action>(value, decodeAction, allActionCases, "action",
                                         R"({"leftClick": {}})");
}

}  // namespace

std::size_t GestureBinding::hash() const {
  std::size_t seed = trigger.hash();
  hashing::combine(seed, action.hash());
  return seed;
}

nlohmann::json toJson(const GestureBinding& binding) {
  auto object = nlohmann::json::object();
  object["action"] = toJson(binding.action);
  object["trigger"] = toJson(binding.trigger);
  return object;
}

Expected<GestureBinding> decodeGestureBinding(const nlohmann::json& value) {
  if (auto isObject = json::requireObject(value); !isObject) {
    return std::move(isObject).error();
  }
  auto trigger = json::decodeMember(value, "trigger", decodeTrigger);
  if (!trigger) {
    return std::move(trigger).error();
  }
  auto action = json::decodeMember(value, "action", decodeActionExplained);
  if (!action) {
    return std::move(action).error();
  }
  return GestureBinding{std::move(trigger).value(), std::move(action).value()};
}

}  // namespace tactora
