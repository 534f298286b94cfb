#include "Tactora/replay/ReplayOutput.h"

#include <charconv>
#include <ostream>
#include <utility>

namespace tactora {
namespace {

constexpr std::size_t flushThresholdBytes = 1 << 16;

}  // namespace

ReplayOutput::ReplayOutput(std::ostream& out, bool withTime, Clock clock, bool flushEachLine)
    : out_(out), withTime_(withTime), clock_(std::move(clock)), flushEachLine_(flushEachLine) {}

ReplayOutput::~ReplayOutput() {
  flush();
}

void ReplayOutput::line(std::string_view text) {
  if (withTime_) {
    char stamp[48];
    const auto written =
        std::to_chars(stamp, stamp + sizeof stamp, clock_(), std::chars_format::fixed, 3);
    buffer_.append(stamp, written.ptr);
    buffer_ += ' ';
  }
  buffer_ += text;
  buffer_ += '\n';
  if (flushEachLine_ || buffer_.size() >= flushThresholdBytes) {
    flush();
  }
}

void ReplayOutput::flush() {
  out_ << buffer_;
  out_.flush();
  buffer_.clear();
}

}  // namespace tactora
