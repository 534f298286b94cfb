#pragma once

#include <memory>
#include <string>
#include <thread>

#include "Platform/Dispatch.h"
#include "Platform/EventLoop.h"

namespace tactora::platform {

// Dispatch on real threads: the main loop is an `EventLoop` run by the thread that calls
// `main().run()` (the application's main thread in headless mode), the global queue is one
// background thread, and every named thread runs its own `EventLoop`.
class ThreadDispatch : public Dispatch {
 public:
  ThreadDispatch();
  ~ThreadDispatch() override;
  ThreadDispatch(const ThreadDispatch&) = delete;
  ThreadDispatch& operator=(const ThreadDispatch&) = delete;

  EventLoop& main() override { return main_; }
  DispatchQueue& globalUserInteractive() override { return global_; }
  std::unique_ptr<NamedThread> startThread(std::string name,
                                           std::function<void(RunLoop& loop)> body) override;
  void pause(double seconds) override;

  // The operating-system name for a thread: the last dot-separated part, cut to the 15
  // characters Linux allows ("com.vellumworks.Tactora.ButtonStateTap" -> "ButtonStateTap").
  static std::string shortThreadName(const std::string& name);

 private:
  EventLoop main_;
  EventLoop global_;
  std::thread globalThread_;
};

}  // namespace tactora::platform
