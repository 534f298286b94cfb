#pragma once

#include <functional>
#include <memory>
#include <string>

#include "Platform/DispatchQueue.h"
#include "Platform/NamedThread.h"
#include "Platform/RunLoop.h"

namespace tactora::platform {

// Queues, threads and timers of the process.
class Dispatch {
 public:
  virtual ~Dispatch() = default;

  // The main queue, which is also the main thread's run loop (its timers and tap sources).
  virtual RunLoop& main() = 0;
  // The global concurrent queue of user-interactive quality (momentum scrolling).
  virtual DispatchQueue& globalUserInteractive() = 0;
  // Starts a thread named `name` that runs `body` with its own run loop. The body usually sets up
  // sources and timers and then calls `loop.run()`.
  virtual std::unique_ptr<NamedThread> startThread(std::string name,
                                                   std::function<void(RunLoop& loop)> body) = 0;
  // Blocks the calling thread for `seconds` (the short pause between the two key events of a
  // space switch). Runs no other work on that thread.
  virtual void pause(double seconds) = 0;
};

}  // namespace tactora::platform
