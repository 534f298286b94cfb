#include "Tactora/HeadlessGestureOverlay.h"

#include "ActionKit/ActionKind.h"
#include "Platform/Dispatch.h"
#include "Platform/RunLoop.h"
#include "Tactora/presentation/GestureDescription.h"

namespace tactora {

std::string HeadlessGestureOverlay::textFor(const GestureEvent& event, const Action& action) {
  return GestureDescription::title(event) + separator + std::string(title(kindOf(action)));
}

void HeadlessGestureOverlay::show(const GestureEvent& event, const Action& action) {
  text_ = textFor(event, action);
  if (hideWorkItem_) {
    hideWorkItem_->cancel();
  }
  alpha_ = 1.0;
  visible_ = true;
  std::weak_ptr<HeadlessGestureOverlay> weak = weak_from_this();
  hideWorkItem_ = platform_.dispatch().main().asyncAfter(shownSeconds, [weak] {
    if (auto self = weak.lock()) {
      self->fadeOut();
    }
  });
}

void HeadlessGestureOverlay::fadeOut() {
  if (!visible_) {
    return;
  }
  // The fade takes the alpha to 0; the panel leaves the screen only if no show brought it back
  // to full opacity meanwhile.
  alpha_ = 0;
  std::weak_ptr<HeadlessGestureOverlay> weak = weak_from_this();
  platform_.dispatch().main().asyncAfter(fadeSeconds, [weak] {
    if (auto self = weak.lock(); self && self->alpha_ == 0) {
      self->visible_ = false;
    }
  });
}

}  // namespace tactora
