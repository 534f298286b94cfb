#pragma once

#include <linux/input.h>

#include <span>

#include "Platform/evdev/FrameAssembler.h"

namespace tactora::lx {

// Where the reports of one device go, in this order per SYN_REPORT: first the report's other
// events (motion, buttons, wheels, in the order read), then its multitouch frame.
class ReportSink {
 public:
  virtual ~ReportSink() = default;
  // The non-touch events of one report, without its SYN_REPORT. Never empty.
  virtual void forwardEvents(std::span<const input_event> events) = 0;
  // A frame the report completed; `frame` describes it until the call returns.
  virtual void deliverFrame(const platform::FrameAssembler& frame) = 0;
};

}  // namespace tactora::lx
