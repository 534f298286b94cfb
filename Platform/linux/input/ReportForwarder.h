#pragma once

#include <linux/input.h>

#include <array>
#include <cstdint>
#include <mutex>
#include <span>

#include "Platform/linux/input/ReportFilter.h"
#include "Platform/linux/input/ReportProcessor.h"

namespace tactora::lx {

// Offers each report's non-touch events to the application's filter and, while it holds the
// mouse, writes what the filter kept to the clone's descriptor as one framed report. Reports of
// the application's own (synthetic clicks, drags, scrolls) are written to the same descriptor
// between the forwarded ones, so the clone carries both as one device. Allocates nothing.
//
// The filter runs on the delivery thread without a lock (it calls the application's taps); only
// the writes and the output's change are serialised, so an injected report never lands inside a
// forwarded one and never goes to a descriptor that is being closed.
class ReportForwarder {
 public:
  explicit ReportForwarder(ReportFilter filter) : filter_(filter) {}

  // Where kept events go; -1 (the default) only offers them to the filter. `cloneId` names the
  // output for injected reports (0: it takes none). With `addHiResTwins` every REL_WHEEL and
  // REL_HWHEEL gets its hi-res twin (120 per detent), for a mouse whose driver sends none: the
  // clone has the hi-res axes, and a reader that sees them ignores the plain wheel. Once this
  // returns, nothing is written to the previous descriptor any more.
  void setOutput(int fd, std::uint64_t cloneId = 0, bool addHiResTwins = false);
  bool isWriting() const;

  // False when writing failed (the output is then dropped; the owner lets the mouse go).
  bool forward(std::span<const input_event> events);
  // Writes `events` as one report when the output is the clone `cloneId` (0: any clone). The
  // id of the output that took them, 0 when none did (no output, another one, a failed write).
  std::uint64_t inject(std::span<const input_event> events, std::uint64_t cloneId);

 private:
  // Twins are added after the filter: the taps see the mouse's events as the mouse sent them.
  std::span<const input_event> withHiResTwins(std::span<const input_event> events);

  ReportFilter filter_;
  std::array<input_event, ReportProcessor::pendingCapacity> filtered_{};
  std::array<input_event, 2 * ReportProcessor::pendingCapacity> twinned_{};

  mutable std::mutex outputMutex_;  // guards the three below and every write
  int outputFd_ = -1;
  std::uint64_t cloneId_ = 0;
  bool addHiResTwins_ = false;
};

}  // namespace tactora::lx
