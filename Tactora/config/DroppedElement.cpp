#include "Tactora/config/DroppedElement.h"

namespace tactora {

std::string DroppedElement::description() const {
  std::string what;
  switch (kind) {
    case Kind::profile:
      what = "profile dropped";
      break;
    case Kind::binding:
      what = "binding dropped";
      break;
  }
  return path + ": " + what + ": " + error.description();
}

}  // namespace tactora
