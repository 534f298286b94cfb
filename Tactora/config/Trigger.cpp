#include "Tactora/config/Trigger.h"

#include <string>

#include <nlohmann/json.hpp>

#include "GestureEngine/Hashing.h"
#include "GestureEngine/JsonCoding.h"
#include "Tactora/config/NamedCaseDecoding.h"

namespace tactora {

std::size_t Trigger::hash() const {
  std::size_t seed = gesture.hash();
  hashing::combine(seed, modifiers.rawValue);
  return seed;
}

nlohmann::json toJson(const Trigger& trigger) {
  auto object = nlohmann::json::object();
  object["gesture"] = toJson(trigger.gesture);
  object["modifiers"] = trigger.modifiers.rawValue;
  return object;
}

namespace {

Expected<ModifierSet> decodeModifierSet(const nlohmann::json& value) {
  auto raw = json::decodeInt64(value);
  if (!raw) {
    return std::move(raw).error();
  }
  if (*raw < 0 || *raw > 0xFF) {
    return InputError::dataCorrupted("modifiers " + std::to_string(*raw) + " do not fit 0...255");
  }
  return ModifierSet{static_cast<std::uint8_t>(*raw)};
}

Expected<GestureEvent> decodeGestureExplained(const nlohmann::json& value) {
  return decodeNamingUnknownCase<GestureEvent>(value, decodeGestureEvent, allGestureEventCases,
                                               "gesture", R"({"tap": {"fingers": 1}})");
}

}  // namespace

Expected<Trigger> decodeTrigger(const nlohmann::json& value) {
  if (auto isObject = json::requireObject(value); !isObject) {
    return std::move(isObject).error();
  }
  auto gesture = json::decodeMember(value, "gesture", decodeGestureExplained);
  if (!gesture) {
    return std::move(gesture).error();
  }
  auto modifiers = json::decodeMember(value, "modifiers", decodeModifierSet);
  if (!modifiers) {
    return std::move(modifiers).error();
  }
  return Trigger{std::move(gesture).value(), *modifiers};
}

}  // namespace tactora
