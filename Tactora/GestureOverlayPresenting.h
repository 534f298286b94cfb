#pragma once

#include "ActionKit/Action.h"
#include "GestureEngine/GestureEvent.h"

namespace tactora {

// What the application needs of the gesture overlay: show the gesture and the action it ran.
// Called on the main thread only; the overlay window (or a headless stand-in) implements it.
class GestureOverlayPresenting {
 public:
  virtual ~GestureOverlayPresenting() = default;
  virtual void show(const GestureEvent& event, const Action& action) = 0;
};

}  // namespace tactora
