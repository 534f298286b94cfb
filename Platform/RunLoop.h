#pragma once

#include <memory>

#include "Platform/DispatchQueue.h"

namespace tactora::platform {

class EventTap;

// The run loop of one thread (the main thread's or a named thread's): a queue that also carries
// event-tap sources, whose callbacks then run on that thread.
class RunLoop : public DispatchQueue {
 public:
  // Adds the tap's source (in the common modes); its callbacks run on this loop from then on.
  virtual void addTapSource(const std::shared_ptr<EventTap>& tap) = 0;
  virtual void removeTapSource(const std::shared_ptr<EventTap>& tap) = 0;

  // Runs the loop on the calling thread until `stop`. On the simulated platform, where all work
  // runs on the virtual timeline, it returns at once: code after it must not expect to block.
  virtual void run() = 0;
  virtual void stop() = 0;
};

}  // namespace tactora::platform
