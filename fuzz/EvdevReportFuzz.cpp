// Arbitrary evdev event sequences through the report processor, the frame assembler, the Linux
// event taps and the forwarder: no crash, frames within bounds, nothing forwarded that was not
// read, and the final loss releases every held button.

#include <linux/input.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "Platform/linux/events/LinuxEventTaps.h"
#include "Platform/linux/input/ReportForwarder.h"
#include "Platform/linux/input/ReportProcessor.h"

namespace {

class CheckingSink final : public tactora::lx::ReportSink {
 public:
  explicit CheckingSink(tactora::lx::LinuxEventTaps& taps)
      : forwarder_({&tactora::lx::LinuxEventTaps::filterReportEntry, &taps, true}) {}

  void forwardEvents(std::span<const input_event> events) override {
    for (const input_event& event : events) {
      if (event.type == EV_ABS || event.type == EV_SYN) {
        std::abort();  // touch and framing never reach the forwarder
      }
    }
    forwarder_.forward(events);
  }
  void deliverFrame(const tactora::platform::FrameAssembler& frame) override {
    if (frame.recordCount() < 0 || frame.recordCount() > 16) {
      std::abort();
    }
    const auto* records = static_cast<const unsigned char*>(frame.records());
    for (int i = 0; i < frame.recordCount(); ++i) {
      float position[2];
      std::memcpy(position, records + i * MT_CONTACT_RECORD_SIZE + MT_CONTACT_OFFSET_POSITION,
                  sizeof position);
      for (float value : position) {
        if (!(value >= 0.0f && value <= 1.0f)) {
          std::abort();
        }
      }
    }
  }

 private:
  tactora::lx::ReportForwarder forwarder_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  tactora::lx::LinuxEventTaps taps;
  bool swallow = false;
  auto scroll = taps.createEventTap(
      {tactora::platform::EventTapLocation::session,
       tactora::platform::EventTapPlacement::headInsert,
       tactora::platform::EventTapOptions::defaultTap,
       tactora::platform::eventMaskBit(tactora::platform::EventType::scrollWheel)},
      [&swallow](tactora::platform::EventType, tactora::platform::Event& event) {
        swallow = !swallow;
        return swallow ? nullptr : &event;
      });
  tactora::platform::EvdevTouchDevice device;
  device.vendor = 0x05ac;
  device.product = 0x030d;
  device.positionX = {-1100, 1258, 26};
  device.positionY = {-1589, 2047, 70};
  CheckingSink sink(taps);
  tactora::lx::ReportProcessor processor(device, sink);
  // Eight bytes per event: type (folded onto the types that matter), code, value.
  double time = 0;
  for (std::size_t offset = 0; offset + 8 <= size; offset += 8) {
    input_event event{};
    event.type = static_cast<std::uint16_t>(data[offset] % (EV_MSC + 1));
    std::memcpy(&event.code, data + offset + 2, sizeof event.code);
    std::memcpy(&event.value, data + offset + 4, sizeof event.value);
    if (event.type == EV_ABS) {
      event.code = static_cast<std::uint16_t>(ABS_MT_SLOT + event.code % 16);
    }
    time += 0.001;
    if (data[offset + 1] == 0xff) {
      processor.discardPartialReport();
    }
    processor.handleEvent(event, time);
  }
  processor.endEverything(time + 1);
  if (processor.isAnyButtonHeld()) {
    std::abort();
  }
  return 0;
}
