#include "Tactora/config/BindingLookup.h"

namespace tactora {

std::optional<Action> matchBinding(const GestureEvent& event, ModifierSet held,
                                   const std::vector<GestureBinding>& bindings) {
  for (const auto& binding : bindings) {
    if (binding.trigger.gesture == event && binding.trigger.modifiers == held) {
      return binding.action;
    }
  }
  for (const auto& binding : bindings) {
    if (binding.trigger.gesture == event && binding.trigger.modifiers.isEmpty()) {
      return binding.action;
    }
  }
  return std::nullopt;
}

ModifierSet modifierSetFromEventFlags(std::uint64_t flags) {
  constexpr std::uint64_t commandFlag = 0x100000;
  constexpr std::uint64_t optionFlag = 0x80000;
  constexpr std::uint64_t controlFlag = 0x40000;
  constexpr std::uint64_t shiftFlag = 0x20000;
  ModifierSet set;
  if (flags & commandFlag) {
    set.insert(ModifierSet::command());
  }
  if (flags & optionFlag) {
    set.insert(ModifierSet::option());
  }
  if (flags & controlFlag) {
    set.insert(ModifierSet::control());
  }
  if (flags & shiftFlag) {
    set.insert(ModifierSet::shift());
  }
  return set;
}

std::optional<Action> resolveAction(const GestureEvent& event, ModifierSet held,
                                    const std::optional<std::string>& frontBundleIdentifier,
                                    const Configuration& configuration) {
  if (frontBundleIdentifier) {
    if (const Profile* application = configuration.profile(*frontBundleIdentifier)) {
      if (auto action = matchBinding(event, held, application->bindings)) {
        return action;
      }
    }
  }
  if (const Profile* allApps = configuration.allAppsProfile()) {
    return matchBinding(event, held, allApps->bindings);
  }
  return std::nullopt;
}

BindingLookup::BindingLookup(ModifierFlagsSource modifierFlags,
                             FrontApplicationSource frontApplication)
    : modifierFlags_(std::move(modifierFlags)), frontApplication_(std::move(frontApplication)) {}

std::optional<Action> BindingLookup::action(const GestureEvent& event,
                                            const Configuration& configuration) const {
  const ModifierSet held = modifierSetFromEventFlags(modifierFlags_ ? modifierFlags_() : 0);
  const std::optional<std::string> front =
      frontApplication_ ? frontApplication_() : std::optional<std::string>{};
  return resolveAction(event, held, front, configuration);
}

}  // namespace tactora
