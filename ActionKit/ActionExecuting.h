#pragma once

#include "ActionKit/Action.h"

namespace tactora {

// Something that carries out actions; lets the application hold the dispatcher behind an
// interface (and tests substitute a recorder).
class ActionExecuting {
 public:
  virtual ~ActionExecuting() = default;
  // Carries out `action` on the calling thread; reports nothing, absorbs every failure.
  virtual void perform(const Action& action) = 0;
};

}  // namespace tactora
