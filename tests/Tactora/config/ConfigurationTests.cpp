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

  // Each is reported (with its place, as the config check's output shows).
  EXPECT_EQ(dropped.size(), 6u);

  // Only application profiles left: an empty All Apps profile is appended at the end.
  const Configuration onlyApps = decoded(R"({"profiles": [{"bundleIdentifier": "x"}]})");
  EXPECT_EQ(onlyApps.profiles, (std::vector<Profile>{Profile{"x", {}}, Profile{}}));
}

using A = Action::Case;

Configuration withAllApps(std::vector<GestureBinding> bindings, std::int64_t version = 9) {
  Configuration configuration = defaultConfiguration();
  configuration.schemaVersion = version;
  configuration.profiles = {Profile{std::nullopt, std::move(bindings)}};
  return configuration;
}

// The first `count` bindings of All Apps once `old` is migrated.
std::vector<GestureBinding> migratedHead(const Configuration& old, std::size_t count) {
  const auto bindings = old.migrated().allAppsProfile()->bindings;
  return {bindings.begin(), bindings.begin() + static_cast<std::ptrdiff_t>(count)};
}

// Version 4 swapped only the unmodified navigation swipes of All Apps; with the right-side tap on,
// only the first two-finger right click becomes App Exposé; deleted defaults come back after the
// user's own bindings, whatever the old version.
TEST(ConfigurationMigration, ChangesOnlyWhatEachOldVersionGotWrong) {
  const auto swipeRight = GestureEvent::swipe(1, Direction::right);
  const auto swipeLeft = GestureEvent::swipe(1, Direction::left);
  Configuration old = withAllApps({bind(swipeRight, Action(A::navigateBack)),
                                   bind(swipeRight, Action(A::navigateBack), ModifierSet::shift()),
                                   bind(swipeLeft, Action(A::navigateForward))},
                                  4);
  old.profiles.push_back(Profile{"app", {bind(swipeRight, Action(A::navigateBack))}});
  EXPECT_EQ(migratedHead(old, 3),
            (std::vector{bind(swipeRight, Action(A::navigateForward)), old.profiles[0].bindings[1],
                         bind(swipeLeft, Action(A::navigateBack))}));
  EXPECT_EQ(old.migrated().profiles[1], old.profiles[1]);
  old.schemaVersion = 5;  // any other old version leaves the actions alone
  EXPECT_EQ(migratedHead(old, 3), old.profiles[0].bindings);

  old = withAllApps({bind(GestureEvent::tap(2), Action(A::rightClick)),
                     bind(GestureEvent::tap(2), Action(A::rightClick))},
                    3);
  EXPECT_EQ(migratedHead(old, 2), (std::vector{bind(GestureEvent::tap(2), Action(A::appExpose)),
                                               old.profiles[0].bindings[1]}));
  old.tuning.rightZoneTapEnabled = false;
  EXPECT_EQ(migratedHead(old, 2), old.profiles[0].bindings);

  old = withAllApps({bind(GestureEvent::tap(1), Action(A::middleClick))}, 8);
  old.tuning.tapMaxDuration = 0.5;
  Configuration expected = old;
  expected.schemaVersion = 9;
  expected.profiles[0].bindings = defaultBindings();
  expected.profiles[0].bindings[0].action = Action(A::middleClick);
  EXPECT_EQ(old.migrated(), expected);
  // Without an All Apps profile only the version changes.
  old.profiles = expected.profiles = {Profile{"app", {}}};
  EXPECT_EQ(old.migrated(), expected);
}

// Restoring appends the default triggers bound nowhere without modifiers, in their order (one
// bound to another action stays as it is); without All Apps, restoring and resetting put a default
// one at the front; removing overrides empties only the first profile of exactly that identifier.
// (What resetting keeps is followed through the Gestures tab.)
TEST(ConfigurationOperations, RestoreResetAndRemoveOverridesChangeOnlyWhatTheyName) {
  Configuration everyTrigger = defaultConfiguration();
  auto& bindings = everyTrigger.profiles[0].bindings;
  std::reverse(bindings.begin(), bindings.end());
  bindings[3].action = Action(A::hideApp);
  EXPECT_EQ(everyTrigger.restoringDeletedGestures(), everyTrigger);

  const Configuration partial =
      withAllApps({bind(GestureEvent::tap(2), Action(A::none)),
                   bind(GestureEvent::tap(1), Action(A::leftClick), ModifierSet::command())});
  std::vector<GestureBinding> restored = partial.profiles[0].bindings;
  std::ranges::copy_if(defaultBindings(), std::back_inserter(restored), [](const auto& each) {
    return each.trigger != Trigger{GestureEvent::tap(2), {}};
  });
  EXPECT_EQ(partial.restoringDeletedGestures().profiles[0].bindings, restored);

  const Profile app{"app", {bind(GestureEvent::tap(2), Action(A::hideApp))}};
  Configuration apps = defaultConfiguration();
  apps.profiles = {app, app};
  EXPECT_EQ(apps.removingOverrides("App"), apps);
  EXPECT_EQ(apps.removingOverrides("app").profiles, (std::vector<Profile>{{"app", {}}, app}));
  for (const auto& result : {apps.restoringDeletedGestures(), apps.resettingAllAppsGestures()}) {
    EXPECT_EQ(result.profiles, (std::vector<Profile>{{std::nullopt, defaultBindings()}, app, app}));
  }
}

}  // namespace
}  // namespace tactora
