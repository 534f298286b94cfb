#pragma once

#include "GestureEngine/GestureEvent.h"
#include "Tactora/RoutingDecision.h"

namespace tactora {

// Sees what the application does with each gesture event: the event as the input pipeline
// delivered it, then the routing decision, if the event takes one (a drag's moves and the
// scroll's steps do not). Both run on the frame thread inside the engine's callback, so an
// observer must be quick and must not call into the engine or the pipeline.
class RoutingObserver {
 public:
  virtual ~RoutingObserver() = default;
  virtual void gestureReceived(const GestureEvent& /*event*/) {}
  virtual void gestureRouted(const RoutingDecision& /*decision*/) {}
};

}  // namespace tactora
