#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "GestureEngine/JsonCoding.h"
#include "Tactora/config/Configuration.h"
#include "tests/Tactora/config/ConfigTestSupport.h"

namespace tactora {
namespace {

using testing::bind;
using testing::decoded;

TEST(ConfigurationCoding, MissingOrNullTopLevelMembersMeanAnOldEnabledDefaultConfiguration) {
  for (const char* text :
       {"{}", R"({"schemaVersion": null, "enabled": null, "tuning": null, "profiles": null})"}) {
    Configuration expected = defaultConfiguration();
    expected.schemaVersion = 1;
    expected.profiles = {Profile{}};
    EXPECT_EQ(decoded(text), expected) << text;
  }
}

TEST(ConfigurationCoding, RoundTripsInSortedFormKeepingIdentifiersAndUpperModifierBits) {
  const std::string defaults = encodeConfiguration(defaultConfiguration());
  EXPECT_EQ(decoded(defaults), defaultConfiguration());
  // Parsing into sorted objects and writing again changes nothing: every key is in order.
  EXPECT_EQ(defaults, json::dump(nlohmann::json::parse(defaults), 2) + "\n");
  EXPECT_EQ(defaults.find("bundleIdentifier"), std::string::npos);

  Configuration configuration = defaultConfiguration();
  configuration.enabled = false;
  configuration.profiles.push_back(
      Profile{"com.apple.Safari",
              {bind(GestureEvent::swipe(2, Direction::up), Action::shellCommand("say \"hi\" ✓"),
                    ModifierSet{0xF9}),
               bind(GestureEvent::pinch(Direction::down), Action::keyShortcut(4, 0x100000))}});
  const std::string text = encodeConfiguration(configuration);
  EXPECT_NE(text.find("\"modifiers\": 249"), std::string::npos);
  EXPECT_NE(text.find("\"bundleIdentifier\": \"com.apple.Safari\""), std::string::npos);
  EXPECT_EQ(decoded(text), configuration);
}

TEST(ConfigurationCoding, BadBindingsAndProfilesDropAloneAndAreReportedWithTheirPlace) {
  const std::string text = R"({
    "schemaVersion": 9,
    "profiles": [
      {"bundleIdentifier": "a", "bindings": [
        {"trigger": {"gesture": {"tap": {"fingers": 1}}, "modifiers": 0}, "action": {"leftClick": {}}},
        {"trigger": {"gesture": {"tap": {"fingers": 2}}, "modifiers": 256}, "action": {"leftClick": {}}},
        {"trigger": {"gesture": {"tap": {"fingers": 3}}, "modifiers": 0}, "action": {"teleport": {}}},
        {"trigger": {"gesture": {"tap": {"fingers": 4}}}, "action": {"hideApp": {}}},
        {"trigger": {"gesture": {"Tap": {"fingers": 1}}, "modifiers": 0}, "action": {"hideApp": {}}},
        {"trigger": {"gesture": {"tap": {"fingers": 5}}, "modifiers": 2}, "action": {"hideApp": {}}}
      ]},
      {"bundleIdentifier": "b", "bindings": "none"},
      42,
      {"bundleIdentifier": "c"},
      {"bundleIdentifier": null, "bindings": []},
      {"bindings": [{"trigger": {"gesture": {"rightZoneTap": {}}, "modifiers": 0},
                     "action": {"none": {}}}]}
    ]})";
  std::vector<DroppedElement> dropped;
  auto configuration = decodeConfigurationText(text, &dropped);
  ASSERT_TRUE(configuration.ok());

  // A null identifier means All Apps; only the first such profile is consulted.
  EXPECT_EQ(
      configuration->profiles,
      (std::vector<Profile>{
          {"a",
           {bind(GestureEvent::tap(1), Action(Action::Case::leftClick)),
            bind(GestureEvent::tap(5), Action(Action::Case::hideApp), ModifierSet::option())}},
          {"c", {}},
          {std::nullopt, {}},
          {std::nullopt, {bind(GestureEvent::rightZoneTap(), Action())}}}));
  EXPECT_EQ(configuration->allAppsProfile(), &configuration->profiles[2]);

  // Each is reported with its place (their texts are in the config check's output).
  std::vector<std::string> places;
  for (const auto& each : dropped) {
    places.push_back(each.description().substr(0, each.description().find(':')));
  }
  EXPECT_EQ(places, (std::vector<std::string>{"profiles[0].bindings[1]", "profiles[0].bindings[2]",
                                              "profiles[0].bindings[3]", "profiles[0].bindings[4]",
                                              "profiles[1]", "profiles[2]"}));

  // Only application profiles left: an empty All Apps profile is appended at the end.
  const Configuration onlyApps = decoded(R"({"profiles": [{"bundleIdentifier": "x"}]})");
  EXPECT_EQ(onlyApps.profiles, (std::vector<Profile>{Profile{"x", {}}, Profile{}}));
}

}  // namespace
}  // namespace tactora
