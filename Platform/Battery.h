#pragma once

#include <functional>
#include <optional>

#include "Platform/BatteryLevel.h"

namespace tactora::platform {

// The battery of the mouse the program uses, followed in the background. Nothing here waits on
// a device or a service: `level` answers from what was last read, and reading happens elsewhere
// (a thread of the backend's), so the main loop and the frame path never block on it.
class Battery {
 public:
  virtual ~Battery() = default;

  // Begins following; `onChange` runs, on a thread of the backend's, after every change of
  // `level` (a new reading, or none any more). Starting again replaces `onChange`.
  virtual void start(std::function<void()> onChange) = 0;
  // Ends following; `onChange` is not called after it returns.
  virtual void stop() = 0;

  // The latest reading; empty when the mouse is gone, has no battery, or no source knows it.
  virtual std::optional<BatteryLevel> level() = 0;
  // Asks for a fresh reading (the menu is about to open). Returns at once; a reading that differs
  // arrives through `onChange`. Sources that are costly to read keep their own pace.
  virtual void refresh() = 0;
};

}  // namespace tactora::platform
