#pragma once

#include <linux/input.h>

#include <array>
#include <span>

#include "Platform/linux/input/ReportFilter.h"
#include "Platform/linux/input/ReportProcessor.h"

namespace tactora::lx {

// Offers each report's non-touch events to the application's filter and, while it holds the
// mouse, writes what the filter kept to the clone's descriptor as one framed report. Allocates
// nothing.
class ReportForwarder {
 public:
  explicit ReportForwarder(ReportFilter filter) : filter_(filter) {}

  // Where kept events go; -1 (the default) only offers them to the filter.
  void setOutput(int fd) { outputFd_ = fd; }
  bool isWriting() const { return outputFd_ >= 0; }

  // False when writing failed (the output is then dropped; the owner lets the mouse go).
  bool forward(std::span<const input_event> events);

 private:
  ReportFilter filter_;
  int outputFd_ = -1;
  std::array<input_event, ReportProcessor::pendingCapacity> filtered_{};
};

}  // namespace tactora::lx
