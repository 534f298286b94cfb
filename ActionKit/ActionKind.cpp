#include "ActionKit/ActionKind.h"

#include <utility>

namespace tactora {

std::string_view rawValue(ActionKind kind) {
  return caseName(kind);
}

std::optional<ActionKind> actionKindFromRaw(std::string_view raw) {
  for (auto kind : allActionKinds) {
    if (rawValue(kind) == raw) {
      return kind;
    }
  }
  return std::nullopt;
}

std::string_view title(ActionKind kind) {
  using K = ActionKind;
  switch (kind) {
    case K::none:
      return "None";
    case K::leftClick:
      return "Left Click";
    case K::rightClick:
      return "Right Click";
    case K::middleClick:
      return "Middle Click";
    case K::doubleClick:
      return "Double Click";
    case K::tripleClick:
      return "Triple Click";
    case K::missionControl:
      return "Mission Control";
    case K::appExpose:
      return "App Exposé";
    case K::showDesktop:
      return "Show Desktop";
    case K::spaceLeft:
      return "Space Left";
    case K::spaceRight:
      return "Space Right";
    case K::closeFocusedWindow:
      return "Close Window";
    case K::hideApp:
      return "Hide App";
    case K::minimizeWindow:
      return "Minimize Window";
    case K::cycleWindows:
      return "Cycle Windows";
    case K::zoomIn:
      return "Zoom In";
    case K::zoomOut:
      return "Zoom Out";
    case K::navigateBack:
      return "Back (Alt+Left)";
    case K::navigateForward:
      return "Forward (Alt+Right)";
    case K::appSwitcher:
      return "Switch App (Alt+Tab)";
    case K::appSwitcherNext:
      return "Cycle Apps Forward";
    case K::appSwitcherPrevious:
      return "Cycle Apps Backward";
    case K::keyShortcut:
      return "Keyboard Shortcut…";
    case K::shellCommand:
      return "Shell Command…";
  }
  return "?";
}

ActionKind kindOf(const Action& action) {
  return action.kind();
}

Action makeAction(ActionKind kind, std::uint16_t keyCode, std::uint64_t modifiers,
                  std::string command) {
  if (kind == ActionKind::keyShortcut) {
    return Action::keyShortcut(keyCode, modifiers);
  }
  if (kind == ActionKind::shellCommand) {
    return Action::shellCommand(std::move(command));
  }
  return Action(kind);
}

}  // namespace tactora
