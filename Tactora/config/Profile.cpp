#include "Tactora/config/Profile.h"

#include <nlohmann/json.hpp>

#include "GestureEngine/Hashing.h"
#include "GestureEngine/JsonCoding.h"
#include "Tactora/config/Lenient.h"

namespace tactora {

std::size_t Profile::hash() const {
  std::size_t seed = bundleIdentifier ? std::hash<std::string>{}(*bundleIdentifier) : 0;
  for (const auto& binding : bindings) {
    hashing::combine(seed, binding.hash());
  }
  return seed;
}

nlohmann::json toJson(const Profile& profile) {
  auto object = nlohmann::json::object();
  auto bindings = nlohmann::json::array();
  for (const auto& binding : profile.bindings) {
    bindings.push_back(toJson(binding));
  }
  object["bindings"] = std::move(bindings);
  if (profile.bundleIdentifier) {
    object["bundleIdentifier"] = *profile.bundleIdentifier;
  }
  return object;
}

Expected<Profile> decodeProfile(const nlohmann::json& value, std::vector<DroppedElement>* dropped) {
  if (auto isObject = json::requireObject(value); !isObject) {
    return std::move(isObject).error();
  }
  Profile profile;
  if (auto found = value.find("bundleIdentifier"); found != value.end() && !found->is_null()) {
    auto identifier = json::decodeString(*found);
    if (!identifier) {
      return std::move(identifier).error().at("bundleIdentifier");
    }
    profile.bundleIdentifier = std::move(identifier).value();
  }
  auto found = value.find("bindings");
  if (found == value.end() || found->is_null()) {
    return profile;
  }
  if (!found->is_array()) {
    return InputError::typeMismatch("expected an array, found " + json::describeType(*found))
        .at("bindings");
  }
  std::vector<DroppedElement> droppedHere;
  std::size_t index = 0;
  for (const auto& element : *found) {
    auto binding = Lenient<GestureBinding>::decode(element, decodeGestureBinding);
    if (binding.value()) {
      profile.bindings.push_back(*std::move(binding).value());
    } else if (dropped) {
      droppedHere.push_back({DroppedElement::Kind::binding,
                             "bindings[" + std::to_string(index) + "]", binding.error()});
    }
    ++index;
  }
  if (dropped) {
    dropped->insert(dropped->end(), droppedHere.begin(), droppedHere.end());
  }
  return profile;
}

}  // namespace tactora
