#pragma once

#include <linux/input.h>

#include <span>

namespace tactora::lx {

// Writes input events to a uinput device's descriptor (or any descriptor: the tests use a pipe).
// Each batch goes out as one report: the events in order, then SYN_REPORT, in one write, so a
// reader never sees half a report.
class UinputWriter {
 public:
  static constexpr std::size_t maxEventsPerReport = 64;

  explicit UinputWriter(int fd) : fd_(fd) {}

  // False when the write failed (the descriptor is not closed; the owner decides).
  bool writeReport(std::span<const input_event> events) const;

 private:
  int fd_;
};

}  // namespace tactora::lx
