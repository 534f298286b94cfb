#include "Tactora/config/Trigger.h"

#include <algorithm>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "GestureEngine/Hashing.h"
#include "GestureEngine/JsonCoding.h"

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

Decoded<ModifierSet> decodeModifierSet(const nlohmann::json& value) {
  auto raw = json::decodeInt64(value);
  if (!raw) {
    return std::move(raw).error();
  }
  if (*raw < 0 || *raw > 0xFF) {
    return DecodingError::dataCorrupted("modifiers " + std::to_string(*raw) +
                                        " do not fit 0...255");
  }
  return ModifierSet{static_cast<std::uint8_t>(*raw)};
}

// A gesture is an object with exactly one member named after its case; name the wrong one.
Decoded<GestureEvent> decodeGestureExplained(const nlohmann::json& value) {
  auto decoded = decodeGestureEvent(value);
  if (decoded || !value.is_object() || !decoded.error().path.empty()) {
    return decoded;
  }
  std::vector<std::string> unknown;
  std::size_t known = 0;
  for (const auto& item : value.items()) {
    const std::string& key = item.key();
    const bool isCase = std::any_of(allGestureEventCases.begin(), allGestureEventCases.end(),
                                    [&](GestureEvent::Case kind) { return caseName(kind) == key; });
    if (isCase) {
      ++known;
    } else {
      unknown.push_back(json::dump(nlohmann::json(key)));
    }
  }
  if (known == 0 && unknown.size() == 1) {
    return DecodingError::dataCorrupted("unknown gesture " + unknown.front());
  }
  if (known == 0 && unknown.empty()) {
    return DecodingError::dataCorrupted(
        "empty gesture object, expected one member such as {\"tap\": {\"fingers\": 1}}");
  }
  if (known > 1) {
    return DecodingError::dataCorrupted("more than one gesture in one object");
  }
  return decoded;
}

}  // namespace

Decoded<Trigger> decodeTrigger(const nlohmann::json& value) {
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
