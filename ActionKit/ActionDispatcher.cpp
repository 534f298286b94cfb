#include "ActionKit/ActionDispatcher.h"

#include <cstdint>
#include <vector>

#include "ActionKit/SyntheticInput.h"
#include "ActionKit/SystemBridgeActions.h"
#include "Platform/EventFlags.h"

namespace tactora {

namespace {

// Virtual key codes of the fixed shortcuts.
namespace keyCode {
constexpr std::uint16_t h = 4;
constexpr std::uint16_t equals = 24;
constexpr std::uint16_t minus = 27;
constexpr std::uint16_t rightBracket = 30;
constexpr std::uint16_t leftBracket = 33;
constexpr std::uint16_t m = 46;
constexpr std::uint16_t tab = 48;
constexpr std::uint16_t graveAccent = 50;
}  // namespace keyCode

constexpr auto command = platform::eventFlags::maskCommand;
using platform::FixedShortcut;

}  // namespace

ActionDispatcher::ActionDispatcher(platform::Platform& platform, AppSwitcher& appSwitcher,
                                   const CGSBridge& bridge)
    : platform_(&platform), appSwitcher_(&appSwitcher), bridge_(&bridge) {}

void ActionDispatcher::perform(const Action& action) {
  auto& platform = platform_ ? *platform_ : platform::Platform::current();
  const auto appSwitcher = [this]() -> AppSwitcher& {
    return appSwitcher_ ? *appSwitcher_ : AppSwitcher::shared();
  };

  using Case = Action::Case;
  using platform::MouseButton;
  switch (action.kind()) {
    case Case::none:
      return;
    case Case::leftClick:
      return click(platform, MouseButton::left, 1);
    case Case::rightClick:
      return click(platform, MouseButton::right, 1);
    case Case::middleClick:
      return click(platform, MouseButton::center, 1);
    case Case::doubleClick:
      return click(platform, MouseButton::left, 2);
    case Case::tripleClick:
      return click(platform, MouseButton::left, 3);
    case Case::missionControl:
      return sendDockNotification(platform, "com.apple.expose.awake");
    case Case::appExpose:
      return sendDockNotification(platform, "com.apple.expose.front.awake");
    case Case::showDesktop:
      return sendDockNotification(platform, "com.apple.showdesktop.awake");
    case Case::spaceLeft:
      return switchSpace(platform, bridge_ ? *bridge_ : CGSBridge::shared(platform), false);
    case Case::spaceRight:
      return switchSpace(platform, bridge_ ? *bridge_ : CGSBridge::shared(platform), true);
    case Case::closeFocusedWindow:
      return closeFocusedWindow(platform);
    case Case::hideApp:
      return postKeyCombination(platform, keyCode::h, command, 0, FixedShortcut::hideApp);
    case Case::minimizeWindow:
      return postKeyCombination(platform, keyCode::m, command, 0, FixedShortcut::minimizeWindow);
    case Case::cycleWindows:
      return postKeyCombination(platform, keyCode::graveAccent, command, 0,
                                FixedShortcut::cycleWindows);
    case Case::zoomIn:
      return postKeyCombination(platform, keyCode::equals, command, 0, FixedShortcut::zoomIn);
    case Case::zoomOut:
      return postKeyCombination(platform, keyCode::minus, command, 0, FixedShortcut::zoomOut);
    case Case::navigateBack:
      return postKeyCombination(platform, keyCode::leftBracket, command, 0,
                                FixedShortcut::navigateBack);
    case Case::navigateForward:
      return postKeyCombination(platform, keyCode::rightBracket, command, 0,
                                FixedShortcut::navigateForward);
    case Case::appSwitcher:
      // Tab carrying the Command flag, with no Command key event: a quick switch to the
      // previous application that does not hold the switcher open.
      return postKeyCombination(platform, keyCode::tab, command, 0, FixedShortcut::appSwitcher);
    case Case::appSwitcherNext:
      return appSwitcher().cycle(true);
    case Case::appSwitcherPrevious:
      return appSwitcher().cycle(false);
    case Case::keyShortcut:
      return postKeyCombination(platform, action.keyCode(), action.modifiers());
    case Case::shellCommand:
      return runShellCommand(platform, action.command());
  }
}

void ActionDispatcher::runShellCommand(platform::Platform& platform, const std::string& command) {
  // A login shell, so the command sees the same PATH and settings as in a terminal.
  auto& workspace = platform.workspace();
  workspace.launchProcess(workspace.loginShell(), {"-lc", command});
}

}  // namespace tactora
