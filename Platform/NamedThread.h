#pragma once

#include <string>

namespace tactora::platform {

// A thread started by `Dispatch::startThread`, running its body and then its run loop. Destroying
// the handle stops the run loop and waits for the thread (unless it is the thread itself).
class NamedThread {
 public:
  virtual ~NamedThread() = default;
  // The full name given at start ("com.vellumworks.Tactora.ButtonStateTap"); the operating
  // system may see a shortened form.
  virtual const std::string& name() const = 0;
};

}  // namespace tactora::platform
