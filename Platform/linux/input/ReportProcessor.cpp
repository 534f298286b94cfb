#include "Platform/linux/input/ReportProcessor.h"

namespace tactora::lx {

namespace {

// More slots than any device has; the assembler ignores the ones it does not track.
constexpr int slotsToClear = 64;

}  // namespace

ReportProcessor::ReportProcessor(const platform::EvdevTouchDevice& device, ReportSink& sink)
    : assembler_(device), sink_(sink) {}

void ReportProcessor::append(const input_event& event) {
  if (pendingCount_ == pending_.size()) {
    flushPending();
  }
  pending_[pendingCount_++] = event;
  if (event.type == EV_KEY && event.code >= BTN_MOUSE && event.code <= BTN_TASK &&
      event.value != 2) {
    heldButtons_.set(event.code - BTN_MOUSE, event.value != 0);
  }
}

void ReportProcessor::flushPending() {
  if (pendingCount_ > 0) {
    sink_.forwardEvents(std::span<const input_event>(pending_.data(), pendingCount_));
    pendingCount_ = 0;
  }
}

void ReportProcessor::handleEvent(const input_event& event, double timeSeconds) {
  switch (event.type) {
    case EV_ABS:
      assembler_.handleEvent(timeSeconds, event.type, event.code, event.value);
      return;
    case EV_SYN:
      if (event.code == SYN_REPORT) {
        flushPending();
        if (assembler_.handleEvent(timeSeconds, event.type, event.code, event.value)) {
          sink_.deliverFrame(assembler_);
        }
      } else if (event.code == SYN_DROPPED) {
        // A raw stream (no resynchronisation behind it): the assembler ignores the touch state
        // until the next report, and the partial report's other events go nowhere.
        pendingCount_ = 0;
        assembler_.handleEvent(timeSeconds, event.type, event.code, event.value);
      }
      return;
    default:
      append(event);
      return;
  }
}

void ReportProcessor::discardPartialReport() {
  pendingCount_ = 0;
}

void ReportProcessor::endEverything(double timeSeconds) {
  pendingCount_ = 0;
  for (int code = BTN_MOUSE; code <= BTN_TASK; ++code) {
    if (heldButtons_.test(static_cast<std::size_t>(code - BTN_MOUSE))) {
      input_event release{};
      release.type = EV_KEY;
      release.code = static_cast<std::uint16_t>(code);
      release.value = 0;
      append(release);
    }
  }
  flushPending();
  // Every slot empties in one report: when contacts were down this yields the one frame without
  // them, which ends each contact (and a drag in progress) exactly once.
  for (int slot = 0; slot < slotsToClear; ++slot) {
    assembler_.handleEvent(timeSeconds, EV_ABS, ABS_MT_SLOT, slot);
    assembler_.handleEvent(timeSeconds, EV_ABS, ABS_MT_TRACKING_ID, -1);
  }
  if (assembler_.handleEvent(timeSeconds, EV_SYN, SYN_REPORT, 0)) {
    sink_.deliverFrame(assembler_);
  }
  assembler_.reset();
}

}  // namespace tactora::lx
