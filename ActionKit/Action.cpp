#include "ActionKit/Action.h"

#include <utility>

#include "GestureEngine/Hashing.h"
#include "GestureEngine/JsonCoding.h"

namespace tactora {

const std::array<Action::Case, Action::caseCount> allActionCases = [] {
  std::array<Action::Case, Action::caseCount> cases{};
  for (std::size_t index = 0; index < cases.size(); ++index) {
    cases[index] = static_cast<Action::Case>(index);
  }
  return cases;
}();

Action Action::keyShortcut(std::uint16_t keyCode, std::uint64_t modifiers) {
  Action action(Case::keyShortcut);
  action.keyCode_ = keyCode;
  action.modifiers_ = modifiers;
  return action;
}

Action Action::shellCommand(std::string command) {
  Action action(Case::shellCommand);
  action.command_ = std::move(command);
  return action;
}

bool operator==(const Action& a, const Action& b) {
  if (a.case_ != b.case_) {
    return false;
  }
  // Only the payload of the action's own case counts.
  if (a.case_ == Action::Case::keyShortcut) {
    return a.keyCode_ == b.keyCode_ && a.modifiers_ == b.modifiers_;
  }
  if (a.case_ == Action::Case::shellCommand) {
    return a.command_ == b.command_;
  }
  return true;
}

std::size_t Action::hash() const {
  std::size_t seed = static_cast<std::size_t>(case_);
  if (case_ == Case::keyShortcut) {
    hashing::combine(seed, std::hash<std::uint16_t>{}(keyCode_));
    hashing::combine(seed, std::hash<std::uint64_t>{}(modifiers_));
  } else if (case_ == Case::shellCommand) {
    hashing::combine(seed, std::hash<std::string>{}(command_));
  }
  return seed;
}

std::string Action::description() const {
  std::string text(caseName(case_));
  if (case_ == Case::keyShortcut) {
    return text + "(keyCode: " + std::to_string(keyCode_) +
           ", modifiers: " + std::to_string(modifiers_) + ")";
  }
  if (case_ == Case::shellCommand) {
    // The command as a quoted string literal, so spaces and quotes read unambiguously.
    return text + "(" + json::dump(nlohmann::json(command_)) + ")";
  }
  return text;
}

std::string_view caseName(Action::Case kind) {
  using C = Action::Case;
  switch (kind) {
    case C::none:
      return "none";
    case C::leftClick:
      return "leftClick";
    case C::rightClick:
      return "rightClick";
    case C::middleClick:
      return "middleClick";
    case C::doubleClick:
      return "doubleClick";
    case C::tripleClick:
      return "tripleClick";
    case C::missionControl:
      return "missionControl";
    case C::appExpose:
      return "appExpose";
    case C::showDesktop:
      return "showDesktop";
    case C::spaceLeft:
      return "spaceLeft";
    case C::spaceRight:
      return "spaceRight";
    case C::closeFocusedWindow:
      return "closeFocusedWindow";
    case C::hideApp:
      return "hideApp";
    case C::minimizeWindow:
      return "minimizeWindow";
    case C::cycleWindows:
      return "cycleWindows";
    case C::zoomIn:
      return "zoomIn";
    case C::zoomOut:
      return "zoomOut";
    case C::navigateBack:
      return "navigateBack";
    case C::navigateForward:
      return "navigateForward";
    case C::appSwitcher:
      return "appSwitcher";
    case C::appSwitcherNext:
      return "appSwitcherNext";
    case C::appSwitcherPrevious:
      return "appSwitcherPrevious";
    case C::keyShortcut:
      return "keyShortcut";
    case C::shellCommand:
      return "shellCommand";
  }
  return "?";
}

nlohmann::json toJson(const Action& action) {
  auto inner = nlohmann::json::object();
  if (action.kind() == Action::Case::keyShortcut) {
    inner["keyCode"] = action.keyCode();
    inner["modifiers"] = action.modifiers();
  } else if (action.kind() == Action::Case::shellCommand) {
    inner["_0"] = action.command();
  }
  auto outer = nlohmann::json::object();
  outer[std::string(caseName(action.kind()))] = std::move(inner);
  return outer;
}

Expected<Action> decodeAction(const nlohmann::json& value) {
  auto single = json::decodeSingleCase(value, allActionCases, caseName);
  if (!single) {
    return std::move(single).error();
  }
  const auto kind = single->kind;
  const auto name = caseName(kind);
  const auto& inner = *single->payload;
  if (kind == Action::Case::keyShortcut) {
    auto keyCode = json::decodeMember(inner, "keyCode", json::decodeUInt64);
    if (!keyCode) {
      return std::move(keyCode).error().at(name);
    }
    if (*keyCode > 0xFFFF) {
      return InputError::dataCorrupted("key code " + std::to_string(*keyCode) +
                                       " does not fit 0...65535")
          .at("keyCode")
          .at(name);
    }
    auto modifiers = json::decodeMember(inner, "modifiers", json::decodeUInt64);
    if (!modifiers) {
      return std::move(modifiers).error().at(name);
    }
    return Action::keyShortcut(static_cast<std::uint16_t>(*keyCode), *modifiers);
  }
  if (kind == Action::Case::shellCommand) {
    auto command = json::decodeMember(inner, "_0", json::decodeString);
    if (!command) {
      return std::move(command).error().at(name);
    }
    return Action::shellCommand(std::move(command).value());
  }
  return Action(kind);
}

}  // namespace tactora
