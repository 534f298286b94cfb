#pragma once

#include <string>

#include "ActionKit/Action.h"
#include "GestureEngine/GestureEvent.h"

namespace tactora {

// What the application decided for one gesture event, for those who show it (the replay and
// monitor commands print it). Each decision is also the application's log line for that gesture;
// `description` is the text of that line.
struct RoutingDecision {
  enum class Kind {
    ignoredWhileDisabled,  // the master switch is off
    dragBegan,
    dragEnded,
    bound,    // the binding lookup found `action`, which is being performed
    unbound,  // no binding for this gesture with these modifiers in this application
  };

  Kind kind;
  const GestureEvent& event;
  const Action* action = nullptr;  // set for `bound`

  // "gesture swipe(fingers: 2, direction: left) -> spaceLeft", "gesture tap(fingers: 4) — no
  // binding", "gesture dragBegan", "gesture tap(fingers: 1) ignored — app disabled".
  std::string description() const;
};

}  // namespace tactora
