#include "GestureEngine/RecognitionConfig.h"

#include <optional>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>

#include "GestureEngine/Hashing.h"
#include "GestureEngine/JsonCoding.h"

namespace tactora {

namespace {

template <class T>
struct Field {
  std::string_view key;
  T RecognitionConfig::*member;
};

// The one table of fields, in declaration order, used by coding and hashing alike.
constexpr auto fields = std::make_tuple(
    Field<double>{"tapMaxDuration", &RecognitionConfig::tapMaxDuration},
    Field<double>{"minTapDuration", &RecognitionConfig::minTapDuration},
    Field<float>{"tapMaxTravelMM", &RecognitionConfig::tapMaxTravelMM},
    Field<double>{"tapQuickDuration", &RecognitionConfig::tapQuickDuration},
    Field<float>{"tapMaxTravelMMSlow", &RecognitionConfig::tapMaxTravelMMSlow},
    Field<float>{"tapMaxSlideSpeedMMPerS", &RecognitionConfig::tapMaxSlideSpeedMMPerS},
    Field<double>{"tapCoalesceWindow", &RecognitionConfig::tapCoalesceWindow},
    Field<double>{"tapDebounce", &RecognitionConfig::tapDebounce},
    Field<float>{"minTouchSize", &RecognitionConfig::minTouchSize},
    Field<float>{"dragActivationPixels", &RecognitionConfig::dragActivationPixels},
    Field<DragActivation>{"dragActivation", &RecognitionConfig::dragActivation},
    Field<double>{"doubleTapWindow", &RecognitionConfig::doubleTapWindow},
    Field<float>{"swipeMinTravelMMX", &RecognitionConfig::swipeMinTravelMMX},
    Field<float>{"swipeMinTravelMMY", &RecognitionConfig::swipeMinTravelMMY},
    Field<float>{"swipeMinVelocityMMPerS", &RecognitionConfig::swipeMinVelocityMMPerS},
    Field<float>{"pinchMinDeltaMM", &RecognitionConfig::pinchMinDeltaMM},
    Field<bool>{"oneFingerSwipeEnabled", &RecognitionConfig::oneFingerSwipeEnabled},
    Field<float>{"oneFingerSwipeMinTravelMM", &RecognitionConfig::oneFingerSwipeMinTravelMM},
    Field<bool>{"rightZoneTapEnabled", &RecognitionConfig::rightZoneTapEnabled},
    Field<float>{"rightZoneMinX", &RecognitionConfig::rightZoneMinX},
    Field<float>{"rightZoneMinY", &RecognitionConfig::rightZoneMinY},
    Field<double>{"appSwitcherHoldSeconds", &RecognitionConfig::appSwitcherHoldSeconds},
    Field<bool>{"showGestureHUD", &RecognitionConfig::showGestureHUD},
    Field<bool>{"dragScrollEnabled", &RecognitionConfig::dragScrollEnabled},
    Field<float>{"dragScrollSensitivity", &RecognitionConfig::dragScrollSensitivity},
    Field<bool>{"dragScrollInverted", &RecognitionConfig::dragScrollInverted},
    Field<bool>{"dragAutoscrollNudgeEnabled", &RecognitionConfig::dragAutoscrollNudgeEnabled});

static_assert(std::tuple_size_v<decltype(fields)> == 27);

template <class Visit>
void forEachField(Visit&& visit) {
  std::apply([&](const auto&... field) { (visit(field), ...); }, fields);
}

std::size_t hashOf(double value) {
  return hashing::ofDouble(value);
}
std::size_t hashOf(float value) {
  return hashing::ofFloat(value);
}
std::size_t hashOf(bool value) {
  return std::hash<bool>{}(value);
}
std::size_t hashOf(DragActivation value) {
  return std::hash<std::string_view>{}(toString(value));
}

nlohmann::json encode(double value) {
  return value;
}
nlohmann::json encode(float value) {
  return json::encodeFloat(value);
}
nlohmann::json encode(bool value) {
  return value;
}
nlohmann::json encode(DragActivation value) {
  return toJson(value);
}

Expected<double> decode(const nlohmann::json& value, double*) {
  return json::decodeDouble(value);
}
Expected<float> decode(const nlohmann::json& value, float*) {
  return json::decodeFloat(value);
}
Expected<bool> decode(const nlohmann::json& value, bool*) {
  return json::decodeBool(value);
}
Expected<DragActivation> decode(const nlohmann::json& value, DragActivation*) {
  return decodeDragActivation(value);
}

}  // namespace

const RecognitionConfig& RecognitionConfig::defaults() {
  static const RecognitionConfig value{};
  return value;
}

std::size_t RecognitionConfig::hash() const {
  std::size_t seed = 0;
  forEachField([&](const auto& field) { hashing::combine(seed, hashOf(this->*field.member)); });
  return seed;
}

nlohmann::json toJson(const RecognitionConfig& config) {
  auto object = nlohmann::json::object();
  forEachField(
      [&](const auto& field) { object[std::string(field.key)] = encode(config.*field.member); });
  return object;
}

Expected<RecognitionConfig> decodeRecognitionConfig(const nlohmann::json& value) {
  if (auto isObject = json::requireObject(value); !isObject) {
    return std::move(isObject).error();
  }
  RecognitionConfig config = RecognitionConfig::defaults();
  std::optional<InputError> failure;
  forEachField([&](const auto& field) {
    if (failure) {
      return;
    }
    auto found = value.find(field.key);
    if (found == value.end() || found->is_null()) {
      return;  // keeps the default
    }
    using T = std::remove_reference_t<decltype(config.*field.member)>;
    auto decoded = decode(*found, static_cast<T*>(nullptr));
    if (!decoded) {
      failure = std::move(decoded).error().at(field.key);
      return;
    }
    config.*field.member = *decoded;
  });
  if (failure) {
    return std::move(*failure);
  }
  return config;
}

}  // namespace tactora
