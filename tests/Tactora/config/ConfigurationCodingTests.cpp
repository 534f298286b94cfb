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
    const Configuration configuration = decoded(text);
    EXPECT_EQ(configuration.schemaVersion, 1) << text;
    EXPECT_TRUE(configuration.enabled);
    EXPECT_EQ(configuration.tuning, RecognitionConfig::defaults());
    EXPECT_EQ(configuration.profiles, std::vector<Profile>{Profile{}});
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

  ASSERT_EQ(configuration->profiles.size(), 4u);
  EXPECT_EQ(configuration->profiles[0].bundleIdentifier, "a");
  EXPECT_EQ(configuration->profiles[0].bindings,
            (std::vector<GestureBinding>{
                bind(GestureEvent::tap(1), Action(Action::Case::leftClick)),
                bind(GestureEvent::tap(5), Action(Action::Case::hideApp), ModifierSet::option())}));
  EXPECT_EQ(configuration->profiles[1], (Profile{"c", {}}));
  // A null identifier means All Apps; only the first such profile is consulted.
  EXPECT_EQ(configuration->allAppsProfile(), &configuration->profiles[2]);
  EXPECT_TRUE(configuration->profiles[3].isAllApps());

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

TEST(ConfigurationCoding, WrongTypesAtTheTopLevelFailTheWholeDocument) {
  struct Case {
    const char* text;
    const char* description;
  };
  const Case cases[] = {
      {"[]", "expected an object, found an array"},
      {R"({"schemaVersion": "9"})", "schemaVersion: expected an integer, found a string"},
      {R"({"schemaVersion": 9.5})", "schemaVersion: expected an integer, found the number 9.5"},
      {R"({"enabled": 1})", "enabled: expected a boolean, found a number"},
      {R"({"profiles": {}})", "profiles: expected an array, found an object"},
      {R"({"tuning": {"tapMaxDuration": "long"}})",
       "tuning.tapMaxDuration: expected a number, found a string"},
  };
  for (const auto& each : cases) {
    auto configuration = decodeConfigurationText(each.text);
    ASSERT_FALSE(configuration.ok()) << each.text;
    EXPECT_EQ(configuration.error().description(), each.description);
  }
}

}  // namespace
}  // namespace tactora
