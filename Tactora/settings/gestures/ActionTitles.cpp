#include "Tactora/settings/gestures/ActionTitles.h"

namespace tactora {

QString actionTitle(ActionKind kind) {
  switch (kind) {
    case ActionKind::cycleWindows:
      return QStringLiteral("Cycle Windows");
    case ActionKind::navigateBack:
      return QStringLiteral("Back (Alt+Left)");
    case ActionKind::navigateForward:
      return QStringLiteral("Forward (Alt+Right)");
    case ActionKind::appSwitcher:
      return QStringLiteral("Switch App (Alt+Tab)");
    case ActionKind::none:
    case ActionKind::leftClick:
    case ActionKind::rightClick:
    case ActionKind::middleClick:
    case ActionKind::doubleClick:
    case ActionKind::tripleClick:
    case ActionKind::missionControl:
    case ActionKind::appExpose:
    case ActionKind::showDesktop:
    case ActionKind::spaceLeft:
    case ActionKind::spaceRight:
    case ActionKind::closeFocusedWindow:
    case ActionKind::hideApp:
    case ActionKind::minimizeWindow:
    case ActionKind::zoomIn:
    case ActionKind::zoomOut:
    case ActionKind::appSwitcherNext:
    case ActionKind::appSwitcherPrevious:
    case ActionKind::keyShortcut:
    case ActionKind::shellCommand:
      break;
  }
  const auto text = title(kind);
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace tactora
