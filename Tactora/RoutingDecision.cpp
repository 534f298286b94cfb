#include "Tactora/RoutingDecision.h"

namespace tactora {

std::string RoutingDecision::description() const {
  switch (kind) {
    case Kind::ignoredWhileDisabled:
      return "gesture " + event.description() + " ignored — app disabled";
    case Kind::dragBegan:
      return "gesture dragBegan";
    case Kind::dragEnded:
      return "gesture dragEnded";
    case Kind::bound:
      return "gesture " + event.description() + " -> " +
             (action != nullptr ? action->description() : std::string());
    case Kind::unbound:
      return "gesture " + event.description() + " — no binding";
  }
  return {};
}

}  // namespace tactora
