#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "Platform/Dispatch.h"
#include "Platform/sim/VirtualTimeline.h"

namespace tactora::sim {

class SimRunLoop;

// Dispatch on the virtual timeline: every queue and run loop puts its work on the one timeline;
// async work is due at the current time. A started thread's body is queued like async work and
// runs at the next advance; `RunLoop::run` returns at once, its timers stay on the timeline.
// `pause` is a timeline sleep.
class SimDispatch : public platform::Dispatch {
 public:
  explicit SimDispatch(VirtualTimeline& timeline);
  ~SimDispatch() override;

  platform::RunLoop& main() override;
  platform::DispatchQueue& globalUserInteractive() override;
  std::unique_ptr<platform::NamedThread> startThread(
      std::string name, std::function<void(platform::RunLoop& loop)> body) override;
  void pause(double seconds) override;

  // Names of the threads started so far, in order.
  std::vector<std::string> startedThreadNames() const;
  // Every pause so far, in seconds, in order.
  std::vector<double> pauses() const;

 private:
  VirtualTimeline& timeline_;
  std::unique_ptr<SimRunLoop> main_;
  std::unique_ptr<SimRunLoop> global_;
  mutable std::mutex mutex_;
  std::vector<std::string> threadNames_;
  std::vector<double> pauses_;
};

}  // namespace tactora::sim
