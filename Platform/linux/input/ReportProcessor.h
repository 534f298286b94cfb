#pragma once

#include <linux/input.h>

#include <array>
#include <bitset>
#include <cstddef>

#include "Platform/evdev/FrameAssembler.h"
#include "Platform/linux/input/ReportSink.h"

namespace tactora::lx {

// Splits the event stream of one evdev device into reports: the touch axes go to the frame
// assembler, everything else is held until the report's SYN_REPORT and then handed on before the
// report's frame, so the taps have seen a report's button and wheels when its frame arrives.
// Allocates nothing after construction. Not thread-safe: one reader feeds it.
class ReportProcessor {
 public:
  // A report longer than this (the kernel's own limit is far smaller in practice) is handed on in
  // pieces rather than dropped.
  static constexpr std::size_t pendingCapacity = 64;

  ReportProcessor(const platform::EvdevTouchDevice& device, ReportSink& sink);

  // One event as read; `timeSeconds` is its monotonic time.
  void handleEvent(const input_event& event, double timeSeconds);
  // The kernel dropped events: the partial report read so far is discarded, and the resynchronised
  // state that follows is fed through handleEvent.
  void discardPartialReport();
  // The device is gone: every held button is released and every contact ends, in one final report
  // (the releases, then a frame with no contacts) when anything was down. The processor is then
  // as new, ready for the device's return.
  void endEverything(double timeSeconds);

  bool isAnyButtonHeld() const { return heldButtons_.any(); }

 private:
  void append(const input_event& event);
  void flushPending();

  platform::FrameAssembler assembler_;
  ReportSink& sink_;
  std::array<input_event, pendingCapacity> pending_{};
  std::size_t pendingCount_ = 0;
  // Mouse buttons (BTN_MOUSE...BTN_TASK) as forwarded, so a loss can release them.
  std::bitset<BTN_TASK - BTN_MOUSE + 1> heldButtons_;
};

}  // namespace tactora::lx
