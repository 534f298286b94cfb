#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "ActionKit/Action.h"
#include "GestureEngine/GestureEvent.h"
#include "Tactora/config/Configuration.h"
#include "Tactora/config/GestureBinding.h"
#include "Tactora/config/ModifierSet.h"

namespace tactora {

// Two passes over `bindings` in list order: first a binding for exactly the held modifiers, then
// one that needs no modifiers. Nothing when neither pass finds the gesture.
std::optional<Action> matchBinding(const GestureEvent& event, ModifierSet held,
                                   const std::vector<GestureBinding>& bindings);

// The modifier set for the combined-session event flags: Command 0x100000, Option 0x80000,
// Control 0x40000 and Shift 0x20000; every other flag (Caps Lock, Fn, ...) is ignored.
ModifierSet modifierSetFromEventFlags(std::uint64_t flags);

// The application's profile is searched completely (both passes) first, then All Apps. A match
// whose action is `none` is still a match, so an application can switch a gesture off.
std::optional<Action> resolveAction(const GestureEvent& event, ModifierSet held,
                                    const std::optional<std::string>& frontBundleIdentifier,
                                    const Configuration& configuration);

// Which action a discrete gesture runs right now: reads the held modifiers and the front
// application on every call and resolves the gesture in the configuration snapshot the caller took
// for that gesture. Runs on the gesture thread and changes nothing.
class BindingLookup {
 public:
  using ModifierFlagsSource = std::function<std::uint64_t()>;
  using FrontApplicationSource = std::function<std::optional<std::string>()>;

  BindingLookup(ModifierFlagsSource modifierFlags, FrontApplicationSource frontApplication);

  std::optional<Action> action(const GestureEvent& event, const Configuration& configuration) const;

 private:
  ModifierFlagsSource modifierFlags_;
  FrontApplicationSource frontApplication_;
};

}  // namespace tactora
