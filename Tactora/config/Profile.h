#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "GestureEngine/Expected.h"
#include "Tactora/config/DroppedElement.h"
#include "Tactora/config/GestureBinding.h"

namespace tactora {

// The bindings of one application (by bundle identifier), or of All Apps when the identifier is
// absent. Bindings keep the order the user sees them in.
struct Profile {
  std::optional<std::string> bundleIdentifier;
  std::vector<GestureBinding> bindings;

  bool isAllApps() const { return !bundleIdentifier.has_value(); }

  friend bool operator==(const Profile&, const Profile&) = default;
  std::size_t hash() const;
};

// {"bindings": [...], "bundleIdentifier": "..."}; the identifier key is left out for All Apps.
nlohmann::json toJson(const Profile& profile);

// "bundleIdentifier" is an optional string; "bindings" is optional (absent or null: none) and each
// element that fails to decode is dropped, order kept. Dropped bindings are appended to `dropped`
// (paths relative to the profile, "bindings[3]") only when the profile itself decodes.
Expected<Profile> decodeProfile(const nlohmann::json& value,
                                std::vector<DroppedElement>* dropped = nullptr);

}  // namespace tactora

template <>
struct std::hash<tactora::Profile> {
  std::size_t operator()(const tactora::Profile& profile) const { return profile.hash(); }
};
