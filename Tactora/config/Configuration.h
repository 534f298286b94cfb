#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json_fwd.hpp>

#include "GestureEngine/Expected.h"
#include "GestureEngine/RecognitionConfig.h"
#include "Tactora/config/DroppedElement.h"
#include "Tactora/config/Profile.h"

namespace tactora {

// Everything the user can set: the master switch, the recognition tuning and the bindings per
// application. A plain value; the store publishes it, the settings window edits copies of it.
struct Configuration {
  static constexpr std::int64_t currentSchemaVersion = 9;

  std::int64_t schemaVersion = currentSchemaVersion;
  bool enabled = true;
  RecognitionConfig tuning;
  std::vector<Profile> profiles;

  // The first profile without a bundle identifier; later ones are kept but never consulted.
  const Profile* allAppsProfile() const;
  // The first profile whose identifier equals `bundleIdentifier` exactly (case-sensitive).
  const Profile* profile(std::string_view bundleIdentifier) const;

  // Appends to All Apps, in default order, each default binding whose trigger it does not bind.
  Configuration restoringDeletedGestures() const;
  // Replaces the All Apps bindings with the defaults; other profiles and tuning stay.
  Configuration resettingAllAppsGestures() const;
  // Empties the first profile of that application; the profile itself stays.
  Configuration removingOverrides(std::string_view bundleIdentifier) const;
  // The text of every shell-command action, each once, in order of first appearance.
  std::vector<std::string> shellCommands() const;
  // Brings an older configuration to the current schema version: fixes the swapped one-finger
  // navigation of version 4, moves a two-finger right click to App Exposé when the right-side tap
  // exists, and adds the default gestures All Apps lacks. A value already at (or past) the
  // current version is returned unchanged.
  Configuration migrated() const;

  friend bool operator==(const Configuration&, const Configuration&) = default;
  std::size_t hash() const;
};

// The 18 built-in bindings of All Apps, in the order the user sees them first.
const std::vector<GestureBinding>& defaultBindings();
// Current schema, enabled, default tuning, and one All Apps profile holding the default bindings.
const Configuration& defaultConfiguration();

nlohmann::json toJson(const Configuration& configuration);
// The file form: pretty-printed UTF-8, keys sorted at every level, ending in a newline.
std::string encodeConfiguration(const Configuration& configuration);

// Lenient where it can be: missing top-level keys take their defaults, a profile or binding that
// cannot be read is dropped (and reported in `dropped` when given), and an All Apps profile is
// appended when none is left. A wrong type at the top level fails the whole document.
Expected<Configuration> decodeConfiguration(const nlohmann::json& value,
                                            std::vector<DroppedElement>* dropped = nullptr);
// The same from the bytes of a file; text that is not JSON fails with the line and column.
Expected<Configuration> decodeConfigurationText(std::string_view text,
                                                std::vector<DroppedElement>* dropped = nullptr);

}  // namespace tactora

template <>
struct std::hash<tactora::Configuration> {
  std::size_t operator()(const tactora::Configuration& configuration) const {
    return configuration.hash();
  }
};
