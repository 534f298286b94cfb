#pragma once

namespace tactora {

class ReplayOutput;
namespace sim {
class SimPlatform;
}  // namespace sim

// Shows everything the application asks of the simulated desktop as output lines, in the order
// it happens: posted events, Dock notifications, hot-key calls, Accessibility actions, opened
// URLs and launched processes. The desktop keeps no records meanwhile (a long replay would hold
// every one). Installed platforms live for the rest of the process, so the observers are removed
// again when the replay ends.
class DesktopLines {
 public:
  // Without `output` nothing is shown; records are switched off all the same.
  DesktopLines(sim::SimPlatform& desktop, ReplayOutput* output);
  ~DesktopLines();
  DesktopLines(const DesktopLines&) = delete;
  DesktopLines& operator=(const DesktopLines&) = delete;

 private:
  sim::SimPlatform& desktop_;
};

}  // namespace tactora
