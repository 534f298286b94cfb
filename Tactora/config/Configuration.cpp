#include "Tactora/config/Configuration.h"

#include <algorithm>
#include <unordered_set>

#include <nlohmann/json.hpp>

#include "GestureEngine/Hashing.h"
#include "GestureEngine/JsonCoding.h"
#include "Tactora/config/Lenient.h"

namespace tactora {

namespace {

GestureBinding binding(GestureEvent gesture, Action::Case action) {
  return GestureBinding{Trigger{gesture, ModifierSet{}}, Action(action)};
}

Profile* findAllApps(std::vector<Profile>& profiles) {
  auto found = std::find_if(profiles.begin(), profiles.end(),
                            [](const Profile& profile) { return profile.isAllApps(); });
  return found == profiles.end() ? nullptr : &*found;
}

// Appends each default binding whose trigger `profile` does not bind yet, in default order.
void appendMissingDefaults(Profile& profile) {
  std::unordered_set<Trigger> bound;
  for (const auto& existing : profile.bindings) {
    bound.insert(existing.trigger);
  }
  for (const auto& fallback : defaultBindings()) {
    if (!bound.contains(fallback.trigger)) {
      profile.bindings.push_back(fallback);
    }
  }
}

}  // namespace

const std::vector<GestureBinding>& defaultBindings() {
  using A = Action::Case;
  static const std::vector<GestureBinding> bindings{
      binding(GestureEvent::tap(1), A::leftClick),
      binding(GestureEvent::doubleTap(1), A::doubleClick),
      binding(GestureEvent::tripleTap(1), A::tripleClick),
      binding(GestureEvent::tap(2), A::appExpose),
      binding(GestureEvent::rightZoneTap(), A::rightClick),
      binding(GestureEvent::tap(3), A::closeFocusedWindow),
      binding(GestureEvent::swipe(2, Direction::left), A::spaceLeft),
      binding(GestureEvent::swipe(2, Direction::right), A::spaceRight),
      binding(GestureEvent::swipe(2, Direction::up), A::appExpose),
      binding(GestureEvent::swipe(2, Direction::down), A::minimizeWindow),
      binding(GestureEvent::swipe(3, Direction::up), A::missionControl),
      binding(GestureEvent::swipe(3, Direction::down), A::showDesktop),
      binding(GestureEvent::swipe(3, Direction::right), A::appSwitcherNext),
      binding(GestureEvent::swipe(3, Direction::left), A::appSwitcherPrevious),
      binding(GestureEvent::pinch(Direction::up), A::zoomIn),
      binding(GestureEvent::pinch(Direction::down), A::zoomOut),
      binding(GestureEvent::swipe(1, Direction::left), A::navigateBack),
      binding(GestureEvent::swipe(1, Direction::right), A::navigateForward),
  };
  return bindings;
}

const Configuration& defaultConfiguration() {
  static const Configuration configuration{Configuration::currentSchemaVersion,
                                           true,
                                           RecognitionConfig::defaults(),
                                           {Profile{std::nullopt, defaultBindings()}}};
  return configuration;
}

std::size_t Configuration::hash() const {
  std::size_t seed = std::hash<std::int64_t>{}(schemaVersion);
  hashing::combine(seed, enabled ? 1 : 0);
  hashing::combine(seed, tuning.hash());
  for (const auto& profile : profiles) {
    hashing::combine(seed, profile.hash());
  }
  return seed;
}

const Profile* Configuration::allAppsProfile() const {
  auto found = std::find_if(profiles.begin(), profiles.end(),
                            [](const Profile& profile) { return profile.isAllApps(); });
  return found == profiles.end() ? nullptr : &*found;
}

const Profile* Configuration::profile(std::string_view bundleIdentifier) const {
  auto found = std::find_if(profiles.begin(), profiles.end(), [&](const Profile& profile) {
    return profile.bundleIdentifier && *profile.bundleIdentifier == bundleIdentifier;
  });
  return found == profiles.end() ? nullptr : &*found;
}

Configuration Configuration::restoringDeletedGestures() const {
  Configuration result = *this;
  if (Profile* allApps = findAllApps(result.profiles)) {
    appendMissingDefaults(*allApps);
  } else {
    result.profiles.insert(result.profiles.begin(), Profile{std::nullopt, defaultBindings()});
  }
  return result;
}

Configuration Configuration::resettingAllAppsGestures() const {
  Configuration result = *this;
  if (Profile* allApps = findAllApps(result.profiles)) {
    allApps->bindings = defaultBindings();
  } else {
    result.profiles.insert(result.profiles.begin(), Profile{std::nullopt, defaultBindings()});
  }
  return result;
}

Configuration Configuration::removingOverrides(std::string_view bundleIdentifier) const {
  Configuration result = *this;
  auto found =
      std::find_if(result.profiles.begin(), result.profiles.end(), [&](const Profile& profile) {
        return profile.bundleIdentifier && *profile.bundleIdentifier == bundleIdentifier;
      });
  if (found != result.profiles.end()) {
    found->bindings.clear();
  }
  return result;
}

std::vector<std::string> Configuration::shellCommands() const {
  std::vector<std::string> commands;
  std::unordered_set<std::string> seen;
  for (const auto& profile : profiles) {
    for (const auto& each : profile.bindings) {
      if (each.action.kind() == Action::Case::shellCommand &&
          seen.insert(each.action.command()).second) {
        commands.push_back(each.action.command());
      }
    }
  }
  return commands;
}

Configuration Configuration::migrated() const {
  if (schemaVersion >= currentSchemaVersion) {
    return *this;
  }
  Configuration result = *this;
  result.schemaVersion = currentSchemaVersion;
  Profile* allApps = findAllApps(result.profiles);
  if (!allApps) {
    return result;
  }
  if (schemaVersion == 4) {
    // Version 4 stored the two one-finger navigation swipes the wrong way round. Only the
    // untouched defaults are swapped back; a binding with modifiers was the user's own choice.
    const Trigger swipeRight{GestureEvent::swipe(1, Direction::right), ModifierSet{}};
    const Trigger swipeLeft{GestureEvent::swipe(1, Direction::left), ModifierSet{}};
    for (auto& each : allApps->bindings) {
      if (each.trigger == swipeRight && each.action.kind() == Action::Case::navigateBack) {
        each.action = Action(Action::Case::navigateForward);
      } else if (each.trigger == swipeLeft && each.action.kind() == Action::Case::navigateForward) {
        each.action = Action(Action::Case::navigateBack);
      }
    }
  }
  if (tuning.rightZoneTapEnabled) {
    // With the right-side tap giving the right click, the old two-finger right click becomes the
    // new default of that gesture; only the binding that lookup would pick is changed.
    const Trigger twoFingerTap{GestureEvent::tap(2), ModifierSet{}};
    for (auto& each : allApps->bindings) {
      if (each.trigger == twoFingerTap && each.action.kind() == Action::Case::rightClick) {
        each.action = Action(Action::Case::appExpose);
        break;
      }
    }
  }
  appendMissingDefaults(*allApps);
  return result;
}

nlohmann::json toJson(const Configuration& configuration) {
  auto object = nlohmann::json::object();
  object["enabled"] = configuration.enabled;
  auto profiles = nlohmann::json::array();
  for (const auto& profile : configuration.profiles) {
    profiles.push_back(toJson(profile));
  }
  object["profiles"] = std::move(profiles);
  object["schemaVersion"] = configuration.schemaVersion;
  object["tuning"] = toJson(configuration.tuning);
  return object;
}

std::string encodeConfiguration(const Configuration& configuration) {
  return json::dump(toJson(configuration), 2) + "\n";
}

Expected<Configuration> decodeConfiguration(const nlohmann::json& value,
                                            std::vector<DroppedElement>* dropped) {
  if (auto isObject = json::requireObject(value); !isObject) {
    return std::move(isObject).error();
  }
  Configuration configuration;
  configuration.schemaVersion = 1;  // files written before the version existed

  // Absent and null both mean "use the default" for every top-level member.
  auto member = [&](std::string_view key) -> const nlohmann::json* {
    auto found = value.find(key);
    return found == value.end() || found->is_null() ? nullptr : &*found;
  };

  if (const auto* version = member("schemaVersion")) {
    auto decoded = json::decodeInt64(*version);
    if (!decoded) {
      return std::move(decoded).error().at("schemaVersion");
    }
    configuration.schemaVersion = *decoded;
  }
  if (const auto* enabled = member("enabled")) {
    auto decoded = json::decodeBool(*enabled);
    if (!decoded) {
      return std::move(decoded).error().at("enabled");
    }
    configuration.enabled = *decoded;
  }
  if (const auto* tuning = member("tuning")) {
    auto decoded = decodeRecognitionConfig(*tuning);
    if (!decoded) {
      return std::move(decoded).error().at("tuning");
    }
    configuration.tuning = *decoded;
  }
  if (const auto* profiles = member("profiles")) {
    if (!profiles->is_array()) {
      return InputError::typeMismatch("expected an array, found " + json::describeType(*profiles))
          .at("profiles");
    }
    std::size_t index = 0;
    for (const auto& element : *profiles) {
      const std::string path = "profiles[" + std::to_string(index++) + "]";
      std::vector<DroppedElement> droppedBindings;
      auto profile = Lenient<Profile>::decode(element, [&](const nlohmann::json& each) {
        return decodeProfile(each, dropped ? &droppedBindings : nullptr);
      });
      if (profile.value()) {
        configuration.profiles.push_back(*std::move(profile).value());
        for (auto& each : droppedBindings) {
          each.path = path + "." + each.path;
          dropped->push_back(std::move(each));
        }
      } else if (dropped) {
        dropped->push_back({DroppedElement::Kind::profile, path, profile.error()});
      }
    }
  }
  if (!configuration.allAppsProfile()) {
    configuration.profiles.push_back(Profile{});
  }
  return configuration;
}

Expected<Configuration> decodeConfigurationText(std::string_view text,
                                                std::vector<DroppedElement>* dropped) {
  auto parsed = json::parse(text);
  if (!parsed) {
    return std::move(parsed).error();
  }
  return decodeConfiguration(*parsed, dropped);
}

}  // namespace tactora
