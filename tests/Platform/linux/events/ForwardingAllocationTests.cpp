// Every motion of the mouse passes through the forwarding path (a report's events, the taps, the
// write to the clone), so in the steady state it allocates nothing.

#include <gtest/gtest.h>

#include <cstdlib>
#include <new>

#include "Platform/linux/events/LinuxEvents.h"
#include "support/AllocationCounting.h"
#include "tests/Platform/linux/EventPipe.h"

namespace tactora::lx {
namespace {

TEST(ForwardingAllocation, SteadyReportsThroughTheProgramsTapsAllocateNothing) {
  if (!TACTORA_COUNTS_ALLOCATIONS) {
    GTEST_SKIP() << "allocations are not counted under a sanitizer";
  }
  const EventPipe clone;
  LinuxEvents events({});
  // A listener on the button and a filter on the wheels, as the program's two taps are.
  ASSERT_TRUE(events.createEventTap(
      {platform::EventTapLocation::session, platform::EventTapPlacement::headInsert,
       platform::EventTapOptions::listenOnly,
       platform::eventMaskBit(platform::EventType::leftMouseDown) |
           platform::eventMaskBit(platform::EventType::leftMouseUp)},
      [](platform::EventType, platform::Event& event) { return &event; }));
  const std::shared_ptr<platform::EventTap> suppress = events.createEventTap(
      {platform::EventTapLocation::session, platform::EventTapPlacement::headInsert,
       platform::EventTapOptions::defaultTap,
       platform::eventMaskBit(platform::EventType::scrollWheel)},
      [](platform::EventType, platform::Event&) { return static_cast<platform::Event*>(nullptr); });

  platform::EvdevTouchDevice device;
  device.positionX = {0, 1000, 20};
  device.positionY = {0, 1000, 20};
  ForwardingSink sink({&LinuxEventTaps::filterReportEntry, &events.taps(), true},
                      clone.write.get());
  sink.recording = false;
  ReportProcessor processor(device, sink);
  const input_event reports[][4] = {
      {inputEvent(EV_REL, REL_X, 2), inputEvent(EV_REL, REL_Y, -1), inputEvent(EV_KEY, BTN_LEFT, 1),
       inputEvent(EV_SYN, SYN_REPORT, 0)},
      {inputEvent(EV_REL, REL_X, -1), inputEvent(EV_REL, REL_WHEEL, 1),
       inputEvent(EV_REL, REL_WHEEL_HI_RES, 120), inputEvent(EV_SYN, SYN_REPORT, 0)},
      {inputEvent(EV_REL, REL_Y, 3), inputEvent(EV_REL, REL_HWHEEL_HI_RES, -30),
       inputEvent(EV_KEY, BTN_LEFT, 0), inputEvent(EV_SYN, SYN_REPORT, 0)},
  };
  const auto feed = [&](int rounds, bool counting) {
    tactora::testing::countingAllocations = counting;
    for (int round = 0; round < rounds; ++round) {
      for (const auto& report : reports) {
        for (const input_event& event : report) {
          processor.handleEvent(event, 1.0);
        }
      }
    }
    tactora::testing::countingAllocations = false;
    clone.drain();
  };
  feed(5, false);  // warm up
  suppress->enable(false);
  feed(5, false);
  for (const bool suppressing : {false, true}) {
    suppress->enable(suppressing);
    tactora::testing::allocationCount = 0;
    const int writtenBefore = sink.written;
    feed(50, true);
    EXPECT_EQ(tactora::testing::allocationCount, 0u) << (suppressing ? "suppressing" : "passing");
    EXPECT_EQ(sink.written - writtenBefore, 150);
  }
}

}  // namespace
}  // namespace tactora::lx
