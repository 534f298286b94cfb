#include <gtest/gtest.h>

#include "Tactora/config/BindingLookup.h"
#include "tests/Tactora/config/ConfigTestSupport.h"

namespace tactora {
namespace {

using testing::bind;
using A = Action::Case;

const auto twoFingerTap = GestureEvent::tap(2);
const ModifierSet command = ModifierSet::command();
const ModifierSet shift = ModifierSet::shift();
const ModifierSet commandShift = command.unioned(shift);

std::optional<A> kindOf(const std::optional<Action>& action) {
  return action ? std::optional(action->kind()) : std::nullopt;
}

TEST(BindingLookup, ExactModifiersWinWithinAProfileAndTheApplicationsProfileBeforeAllApps) {
  const std::vector<GestureBinding> bindings{
      bind(twoFingerTap, Action(A::leftClick)),
      bind(twoFingerTap, Action(A::hideApp), command),
      bind(twoFingerTap, Action(A::zoomIn), command),
      bind(twoFingerTap, Action(A::zoomOut)),
  };
  EXPECT_EQ(kindOf(matchBinding(twoFingerTap, command, bindings)), A::hideApp);
  EXPECT_EQ(kindOf(matchBinding(twoFingerTap, {}, bindings)), A::leftClick);
  // More held than any binding names: no subset matching, only the modifier-free pass.
  EXPECT_EQ(kindOf(matchBinding(twoFingerTap, commandShift, bindings)), A::leftClick);
  EXPECT_EQ(matchBinding(twoFingerTap, commandShift, {bindings[1]}), std::nullopt);
  EXPECT_EQ(matchBinding(GestureEvent::tap(3), {}, bindings), std::nullopt);

  // An application's profile is searched completely before All Apps.
  Configuration configuration = defaultConfiguration();
  configuration.profiles[0].bindings.push_back(
      bind(twoFingerTap, Action(A::missionControl), shift));
  configuration.profiles.insert(configuration.profiles.end(),
                                {{"app", {bind(twoFingerTap, Action(A::hideApp))}},
                                 {"cmd", {bind(twoFingerTap, Action(A::zoomIn), command)}},
                                 {"off", {bind(twoFingerTap, Action(A::none))}},
                                 {"empty", {}},
                                 {"app", {bind(twoFingerTap, Action(A::zoomOut))}}});

  auto resolve = [&](ModifierSet held, std::optional<std::string> front) {
    return kindOf(resolveAction(twoFingerTap, held, front, configuration));
  };
  // The application's modifier-free binding wins over All Apps' exact Shift binding.
  EXPECT_EQ(resolve(shift, "app"), A::hideApp);
  // Nothing in the application matches: All Apps decides, with both of its passes.
  EXPECT_EQ(resolve({}, "cmd"), A::appExpose);
  EXPECT_EQ(resolve(shift, "cmd"), A::missionControl);
  EXPECT_EQ(resolve(shift, "empty"), A::missionControl);
  EXPECT_EQ(resolve({}, std::nullopt), A::appExpose);
  EXPECT_EQ(resolve({}, "com.unknown"), A::appExpose);
  // `none` is a match and switches the gesture off for that application.
  EXPECT_EQ(resolve({}, "off"), A::none);
  EXPECT_EQ(resolveAction(GestureEvent::tap(4), {}, "app", configuration), std::nullopt);

  configuration.profiles.erase(configuration.profiles.begin());
  EXPECT_EQ(resolve({}, "cmd"), std::nullopt);  // no All Apps profile at all
}

TEST(BindingLookup, ReadsModifiersAndFrontApplicationOnEveryCall) {
  std::uint64_t flags = 0;
  std::optional<std::string> front;
  const BindingLookup lookup([&] { return flags; }, [&] { return front; });
  Configuration configuration = defaultConfiguration();
  EXPECT_EQ(kindOf(lookup.action(twoFingerTap, configuration)), A::appExpose);

  configuration.profiles.push_back(
      Profile{"app", {bind(twoFingerTap, Action(A::hideApp), commandShift)}});
  front = "app";
  flags = 0x100000 | 0x20000 | 0x10000 /* Caps Lock */ | 0x800000 /* Fn */;
  EXPECT_EQ(kindOf(lookup.action(twoFingerTap, configuration)), A::hideApp);
  flags = 0x100000;
  EXPECT_EQ(kindOf(lookup.action(twoFingerTap, configuration)), A::appExpose);
}

}  // namespace
}  // namespace tactora
