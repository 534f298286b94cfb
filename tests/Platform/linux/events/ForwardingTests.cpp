// Grab-and-forward without a device: reports go through the processor, the Linux event taps
// decide, and the writer's framed output is read back from a pipe; the steady path allocates
// nothing.

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <string>
#include <vector>

#include "Platform/linux/events/LinuxEvents.h"
#include "Platform/linux/input/ReportForwarder.h"
#include "Platform/linux/input/ReportProcessor.h"
#include "Platform/linux/input/UinputWriter.h"
#include "support/AllocationCounting.h"
#include "tests/Platform/linux/EventPipe.h"

namespace tactora::lx {
namespace {

using platform::Event;
using platform::EventTapOptions;
using platform::EventTapParameters;
using platform::EventType;

// The delivery thread's sink: the processor's reports through a forwarder (the taps' filter) to
// `fd`, in order with its frames ("report", "frame <contacts>").
class ForwardingSink final : public ReportSink {
 public:
  ForwardingSink(ReportFilter filter, int fd) : forwarder_(filter) { forwarder_.setOutput(fd); }
  void forwardEvents(std::span<const input_event> events) override {
    if (recording) {
      order.push_back("report");
    }
    written += forwarder_.forward(events) ? 1 : 0;
  }
  void deliverFrame(const platform::FrameAssembler& frame) override {
    if (recording) {
      order.push_back("frame " + std::to_string(frame.recordCount()));
    }
  }
  bool recording = true;  // off where the test counts allocations
  int written = 0;
  std::vector<std::string> order;

 private:
  ReportForwarder forwarder_;
};

TEST(UinputWriter, EachBatchIsOneReportEndedBySynReportAndLongBatchesAreSplitWithTheirOwn) {
  EventPipe pipe;
  const UinputWriter writer(pipe.write.get());
  input_event moved = inputEvent(EV_REL, REL_X, 3);
  moved.input_event_sec = 77;  // uinput stamps its own times
  const std::vector<input_event> report = {moved, inputEvent(EV_REL, REL_Y, -2),
                                           inputEvent(EV_KEY, BTN_LEFT, 1)};
  ASSERT_TRUE(writer.writeReport(report));
  const std::vector<input_event> written = pipe.drain();
  EXPECT_EQ(reportLines(written), (std::vector<std::string>{"X 3 Y -2 +BTN_LEFT"}));
  EXPECT_EQ(written[0].input_event_sec, 0);

  std::vector<input_event> longReport(UinputWriter::maxEventsPerReport + 6,
                                      inputEvent(EV_REL, REL_X, 1));
  ASSERT_TRUE(writer.writeReport(longReport));
  const std::vector<input_event> split = pipe.drain();
  ASSERT_EQ(split.size(), longReport.size() + 2);
  EXPECT_EQ(reportLines(std::span(split).first(UinputWriter::maxEventsPerReport + 1)).size(), 1u);
  EXPECT_EQ(reportLines(split).size(), 2u);

  pipe.read.reset();
  ::signal(SIGPIPE, SIG_IGN);  // a pipe says EPIPE only to a process that survives saying it
  EXPECT_FALSE(writer.writeReport(report)) << "a closed reader is a failed write";
}

class Forwarding : public ::testing::Test {
 protected:
  Forwarding() {
    device_.positionX = {0, 1000, 20};
    device_.positionY = {0, 1000, 20};
    buttonTap_ = taps_.createEventTap(
        {platform::EventTapLocation::session, platform::EventTapPlacement::headInsert,
         EventTapOptions::listenOnly,
         platform::eventMaskBit(EventType::leftMouseDown) |
             platform::eventMaskBit(EventType::leftMouseUp)},
        [this](EventType type, Event& event) {
          if (sink_.recording) {
            buttons_.push_back(type == EventType::leftMouseDown ? "down" : "up");
          }
          return &event;
        });
    scrollTap_ = taps_.createEventTap(
        {platform::EventTapLocation::session, platform::EventTapPlacement::headInsert,
         EventTapOptions::defaultTap, platform::eventMaskBit(EventType::scrollWheel)},
        [this](EventType, Event& event) {
          if (!sink_.recording) {
            return swallow_.load() ? nullptr : &event;
          }
          scrolls_.push_back(std::to_string(event.integerValueField(
                                 platform::EventField::scrollWheelEventDeltaAxis1)) +
                             "," +
                             std::to_string(event.integerValueField(
                                 platform::EventField::scrollWheelEventDeltaAxis2)));
          return swallow_.load() ? nullptr : &event;
        });
  }

  void feed(std::initializer_list<input_event> events) {
    for (const input_event& event : events) {
      processor_.handleEvent(event, 1.0);
    }
  }

  platform::EvdevTouchDevice device_;
  LinuxEventTaps taps_;
  EventPipe pipe_;
  ForwardingSink sink_{{&LinuxEventTaps::filterReportEntry, &taps_, true}, pipe_.write.get()};
  ReportProcessor processor_{device_, sink_};
  std::shared_ptr<platform::EventTap> buttonTap_;
  std::shared_ptr<platform::EventTap> scrollTap_;
  std::vector<std::string> buttons_;
  std::vector<std::string> scrolls_;
  std::atomic<bool> swallow_{false};
};

TEST_F(Forwarding, EverythingButTouchGoesOutInOrderBeforeTheFrameAndSwallowedWheelsGoTogether) {
  const input_event report = inputEvent(EV_SYN, SYN_REPORT, 0);
  feed({inputEvent(EV_ABS, ABS_MT_SLOT, 0), inputEvent(EV_ABS, ABS_MT_TRACKING_ID, 5),
        inputEvent(EV_ABS, ABS_MT_TOUCH_MAJOR, 400), inputEvent(EV_REL, REL_X, 4),
        inputEvent(EV_ABS, ABS_MT_POSITION_X, 10), inputEvent(EV_KEY, BTN_LEFT, 1),
        inputEvent(EV_MSC, MSC_SCAN, 0x90001), report});
  feed({inputEvent(EV_REL, REL_WHEEL, 1), inputEvent(EV_REL, REL_WHEEL_HI_RES, 120),
        inputEvent(EV_REL, REL_Y, -1), report});
  swallow_ = true;
  feed({inputEvent(EV_REL, REL_X, 2), inputEvent(EV_REL, REL_WHEEL_HI_RES, -30),
        inputEvent(EV_REL, REL_HWHEEL, 1), inputEvent(EV_KEY, BTN_LEFT, 0), report});
  feed({inputEvent(EV_REL, REL_WHEEL, -1), inputEvent(EV_REL, REL_WHEEL_HI_RES, -120), report});
  feed({inputEvent(EV_ABS, ABS_MT_TRACKING_ID, -1), report});

  EXPECT_EQ(pipe_.reports(),
            (std::vector<std::string>{"X 4 +BTN_LEFT MSC_SCAN 589825",
                                      "WHEEL 1 WHEEL_HI_RES 120 Y -1", "X 2 -BTN_LEFT"}));
  EXPECT_EQ(buttons_, (std::vector<std::string>{"down", "up"}));
  EXPECT_EQ(scrolls_, (std::vector<std::string>{"120,0", "-30,120", "-120,0"}));
  EXPECT_EQ(sink_.order,
            (std::vector<std::string>{"report", "frame 1", "report", "frame 1", "report", "frame 1",
                                      "report", "frame 1", "frame 0"}));
  EXPECT_EQ(sink_.written, 4) << "a swallowed report is no failed write";
}

TEST_F(Forwarding, ADisabledTapIsSkippedAndLossReleasesTheHeldButtonBeforeTheLastFrame) {
  scrollTap_->enable(false);
  swallow_ = true;
  feed({inputEvent(EV_ABS, ABS_MT_SLOT, 0), inputEvent(EV_ABS, ABS_MT_TRACKING_ID, 5),
        inputEvent(EV_ABS, ABS_MT_TOUCH_MAJOR, 400), inputEvent(EV_KEY, BTN_LEFT, 1),
        inputEvent(EV_REL, REL_WHEEL, 1), inputEvent(EV_SYN, SYN_REPORT, 0)});
  processor_.endEverything(2.0);
  EXPECT_EQ(pipe_.reports(), (std::vector<std::string>{"+BTN_LEFT WHEEL 1", "-BTN_LEFT"}));
  EXPECT_TRUE(scrolls_.empty());
  EXPECT_EQ(buttons_, (std::vector<std::string>{"down", "up"}));
  EXPECT_EQ(sink_.order, (std::vector<std::string>{"report", "frame 1", "report", "frame 0"}));
  EXPECT_FALSE(processor_.isAnyButtonHeld());
}

// Every motion of the mouse passes through the forwarding path (a report's events, the taps, the
// write to the clone), so in the steady state it allocates nothing, wheels passed or swallowed.
TEST_F(Forwarding, SteadyReportsThroughTheTapsAllocateNothing) {
  if (!TACTORA_COUNTS_ALLOCATIONS) {
    GTEST_SKIP() << "allocations are not counted under a sanitizer";
  }
  sink_.recording = false;
  const auto feedRounds = [&](int rounds) {
    for (int round = 0; round < rounds; ++round) {
      feed({inputEvent(EV_REL, REL_X, 2), inputEvent(EV_REL, REL_Y, -1),
            inputEvent(EV_KEY, BTN_LEFT, 1), inputEvent(EV_SYN, SYN_REPORT, 0)});
      feed({inputEvent(EV_REL, REL_X, -1), inputEvent(EV_REL, REL_WHEEL, 1),
            inputEvent(EV_REL, REL_WHEEL_HI_RES, 120), inputEvent(EV_SYN, SYN_REPORT, 0)});
      feed({inputEvent(EV_REL, REL_Y, 3), inputEvent(EV_REL, REL_HWHEEL_HI_RES, -30),
            inputEvent(EV_KEY, BTN_LEFT, 0), inputEvent(EV_SYN, SYN_REPORT, 0)});
    }
  };
  for (const bool swallowing : {false, true}) {
    swallow_ = swallowing;
    feedRounds(5);  // warm up
    pipe_.drain();
    tactora::testing::allocationCount = 0;
    const int writtenBefore = sink_.written;
    tactora::testing::countingAllocations = true;
    feedRounds(50);
    tactora::testing::countingAllocations = false;
    pipe_.drain();
    EXPECT_EQ(tactora::testing::allocationCount, 0u) << (swallowing ? "swallowing" : "passing");
    EXPECT_EQ(sink_.written - writtenBefore, 150);
  }
}

}  // namespace
}  // namespace tactora::lx
