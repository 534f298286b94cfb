#include "Tactora/HeadlessGestureOverlay.h"

#include "ActionKit/ActionKind.h"
#include "Platform/Dispatch.h"
#include "Platform/RunLoop.h"
#include "Tactora/presentation/GestureDescription.h"

namespace tactora {

HeadlessGestureOverlay::HeadlessGestureOverlay(platform::Platform& platform)
    : countdown_(std::make_shared<HeadsUpCountdown>(
          platform.dispatch().main(), [&platform] { return platform.clock().uptimeSeconds(); },
          HeadsUpCountdown::gestureOverlay, HeadsUpCountdown::Hooks{})) {}

std::string HeadlessGestureOverlay::textFor(const GestureEvent& event, const Action& action) {
  return GestureDescription::title(event) + separator + std::string(title(kindOf(action)));
}

void HeadlessGestureOverlay::show(const GestureEvent& event, const Action& action) {
  text_ = textFor(event, action);
  countdown_->restart();
}

}  // namespace tactora
