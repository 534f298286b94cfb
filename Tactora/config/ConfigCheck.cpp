#include "Tactora/config/ConfigCheck.h"

#include <algorithm>
#include <array>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "GestureEngine/JsonCoding.h"
#include "Tactora/config/Configuration.h"
#include "Tactora/config/FileIO.h"

namespace tactora::ConfigCheck {

namespace {

constexpr std::string_view afterReset =
    "; the application would set this file aside and start from the defaults";

bool isBlank(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; });
}

// The JSON reader says "parse error at line 3, column 1: syntax error while parsing object key -
// unexpected '}'; expected string literal". Keep the place and the cause, and name the usual
// culprit of a hand edit.
std::string describeSyntaxError(const std::string& message) {
  constexpr std::string_view prefix = "parse error at ";
  std::string text = message.starts_with(prefix)
                         ? "invalid JSON at " + message.substr(prefix.size())
                         : "invalid JSON: " + message;
  const bool closerTooEarly = message.find("unexpected '}'") != std::string::npos ||
                              message.find("unexpected ']'") != std::string::npos;
  if (closerTooEarly && message.find("while parsing object key") != std::string::npos) {
    text += " (is there a comma after the last member?)";
  } else if (closerTooEarly && message.find("while parsing value") != std::string::npos) {
    text += " (is there a comma after the last element?)";
  }
  return text;
}

void warnUnknownKeys(const nlohmann::json& object, const std::vector<std::string>& known,
                     const std::string& path, const std::string& prefix, std::ostream& err) {
  if (!object.is_object()) {
    return;
  }
  for (const auto& [key, value] : object.items()) {
    if (std::find(known.begin(), known.end(), key) == known.end()) {
      err << prefix << (path.empty() ? "" : path + ": ") << "unknown key "
          << json::dump(nlohmann::json(key)) << " is ignored\n";
    }
  }
}

std::vector<std::string> tuningKeys() {
  std::vector<std::string> keys;
  const auto defaults = toJson(RecognitionConfig::defaults());
  for (const auto& [key, value] : defaults.items()) {
    keys.push_back(key);
  }
  return keys;
}

// Unknown keys are ignored by the application, so a misspelt one ("enable", "tapMaxTravelMm")
// silently does nothing. Only elements that survived decoding are looked at.
void warnUnknownKeysEverywhere(const nlohmann::json& document,
                               const std::vector<DroppedElement>& dropped,
                               const std::string& prefix, std::ostream& err) {
  auto wasDropped = [&](const std::string& path) {
    return std::any_of(dropped.begin(), dropped.end(),
                       [&](const DroppedElement& each) { return each.path == path; });
  };
  warnUnknownKeys(document, {"enabled", "profiles", "schemaVersion", "tuning"}, "", prefix, err);
  if (auto tuning = document.find("tuning"); tuning != document.end()) {
    warnUnknownKeys(*tuning, tuningKeys(), "tuning", prefix, err);
  }
  auto profiles = document.find("profiles");
  if (profiles == document.end() || !profiles->is_array()) {
    return;
  }
  for (std::size_t p = 0; p < profiles->size(); ++p) {
    const std::string profilePath = "profiles[" + std::to_string(p) + "]";
    const auto& profile = (*profiles)[p];
    if (wasDropped(profilePath)) {
      continue;
    }
    warnUnknownKeys(profile, {"bindings", "bundleIdentifier"}, profilePath, prefix, err);
    auto bindings = profile.find("bindings");
    if (bindings == profile.end() || !bindings->is_array()) {
      continue;
    }
    for (std::size_t b = 0; b < bindings->size(); ++b) {
      const std::string bindingPath = profilePath + ".bindings[" + std::to_string(b) + "]";
      const auto& binding = (*bindings)[b];
      if (wasDropped(bindingPath)) {
        continue;
      }
      warnUnknownKeys(binding, {"action", "trigger"}, bindingPath, prefix, err);
      if (auto trigger = binding.find("trigger"); trigger != binding.end()) {
        warnUnknownKeys(*trigger, {"gesture", "modifiers"}, bindingPath + ".trigger", prefix, err);
      }
    }
  }
}

std::size_t countSurvivingProfiles(const nlohmann::json& document,
                                   const std::vector<DroppedElement>& dropped) {
  auto profiles = document.find("profiles");
  if (profiles == document.end() || !profiles->is_array()) {
    return 0;
  }
  const auto droppedProfiles = std::count_if(dropped.begin(), dropped.end(), [](const auto& each) {
    return each.kind == DroppedElement::Kind::profile;
  });
  return profiles->size() - static_cast<std::size_t>(droppedProfiles);
}

}  // namespace

int printDefault(std::ostream& out) {
  out << encodeConfiguration(defaultConfiguration());
  return 0;
}

int check(const std::filesystem::path& file, std::ostream& out, std::ostream& err) {
  const std::string prefix = "tactora: " + file.string() + ": ";
  auto read = fileio::readWholeFile(file);
  if (!read) {
    err << prefix << "cannot read the file: " << read.error().message << "\n";
    return unusableFileStatus;
  }
  if (isBlank(*read)) {
    err << prefix << "the file is empty; a configuration is a JSON object" << afterReset << "\n";
    return unusableFileStatus;
  }
  auto parsed = json::parse(*read);
  if (!parsed) {
    err << prefix << describeSyntaxError(parsed.error().description()) << afterReset << "\n";
    return unusableFileStatus;
  }
  if (!parsed->is_object()) {
    err << prefix << "not a configuration: the top level is " << json::describeType(*parsed)
        << ", expected a JSON object" << afterReset << "\n";
    return unusableFileStatus;
  }
  std::vector<DroppedElement> dropped;
  auto decoded = decodeConfiguration(*parsed, &dropped);
  if (!decoded) {
    err << prefix << decoded.error().description() << afterReset << "\n";
    return unusableFileStatus;
  }

  Configuration stored = std::move(decoded).value();
  const std::int64_t version = stored.schemaVersion;
  if (version > Configuration::currentSchemaVersion) {
    // The whole file would be replaced, so remarks about its parts would only distract.
    err << prefix << "schemaVersion " << version << " is newer than this build supports ("
        << Configuration::currentSchemaVersion << ")" << afterReset << ", shown below\n";
    out << encodeConfiguration(defaultConfiguration());
    return 0;
  }

  for (const auto& each : dropped) {
    err << prefix << each.description() << "\n";
  }
  warnUnknownKeysEverywhere(*parsed, dropped, prefix, err);
  if (stored.profiles.size() > countSurvivingProfiles(*parsed, dropped)) {
    err << prefix
        << "no All Apps profile (a profile without \"bundleIdentifier\"); an empty one is "
           "added at the end\n";
  }
  if (version < Configuration::currentSchemaVersion) {
    err << prefix << "schemaVersion " << version << " is migrated to "
        << Configuration::currentSchemaVersion
        << " (the application keeps the original as config.json.v" << version << "-backup)\n";
    stored = stored.migrated();
  }
  out << encodeConfiguration(stored);
  return 0;
}

}  // namespace tactora::ConfigCheck
