#include "Tactora/config/GestureBinding.h"

#include <algorithm>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "GestureEngine/Hashing.h"
#include "GestureEngine/JsonCoding.h"

namespace tactora {

namespace {

// An action is an object with exactly one member named after its case. Say which names were
// wrong instead of only that the count was: "unknown action \"leftclick\"".
Decoded<Action> decodeActionExplained(const nlohmann::json& value) {
  auto decoded = decodeAction(value);
  if (decoded || !value.is_object() || !decoded.error().path.empty()) {
    return decoded;
  }
  std::vector<std::string> unknown;
  std::size_t known = 0;
  for (const auto& item : value.items()) {
    const std::string& key = item.key();
    const bool isCase = std::any_of(allActionCases.begin(), allActionCases.end(),
                                    [&](Action::Case kind) { return caseName(kind) == key; });
    if (isCase) {
      ++known;
    } else {
      unknown.push_back(json::dump(nlohmann::json(key)));
    }
  }
  if (known == 0 && unknown.size() == 1) {
    return DecodingError::dataCorrupted("unknown action " + unknown.front());
  }
  if (known == 0 && unknown.empty()) {
    return DecodingError::dataCorrupted(
        "empty action object, expected one member such as "
        "{\"leftClick\": {}}");
  }
  if (known > 1) {
    return DecodingError::dataCorrupted("more than one action in one object");
  }
  return decoded;
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

Decoded<GestureBinding> decodeGestureBinding(const nlohmann::json& value) {
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
