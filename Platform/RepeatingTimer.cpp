#include "Platform/RepeatingTimer.h"

namespace tactora::platform {

void RepeatingTimer::fire() {
  if (isValid() && fire_) {
    fire_();
  }
}

}  // namespace tactora::platform
