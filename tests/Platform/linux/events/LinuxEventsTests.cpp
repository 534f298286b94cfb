// The Linux event system behind the platform seam: the mouse's own button and wheels reach the
// program's real taps through the provider's report filter, and grab-and-forward writes what the
// taps keep to a pipe standing in for the mouse's clone.

#include "Platform/linux/events/LinuxEvents.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/Log.h"
#include "Platform/linux/input/ReportForwarder.h"
#include "Platform/linux/input/ReportProcessor.h"
#include "Platform/linux/input/UinputWriter.h"
#include "support/AllocationCounting.h"
#include "support/CapturingLogSink.h"
#include "tests/Platform/linux/EventPipe.h"

namespace tactora::lx {
namespace {

using platform::Event;
using platform::EventField;
using platform::EventTapOptions;
using platform::EventType;
using Lines = std::vector<std::string>;

// One device alone is not enough: a keyboard without a pointer would post half an action. Events
// are values all the same; only posting needs the devices.
TEST(LinuxEvents, WithoutBothDevicesThereIsNoSourceAndNothingIsPosted) {
  EventPipe keyboard;
  LinuxEvents half({platform::UniqueFd(::dup(keyboard.write.get())), platform::UniqueFd(),
                    DesktopFamily::other, nullptr, nullptr, nullptr});
  EXPECT_FALSE(half.canPost());
  EXPECT_FALSE(half.createEventSource(platform::EventSourceStateID::hidSystemState));
  const std::optional<Event> key = half.createKeyboardEvent(nullptr, 0, true);
  ASSERT_TRUE(key);
  half.post(platform::EventTapLocation::hid, *key);
  EXPECT_TRUE(keyboard.reports().empty());
}

// The grant behind each kind of tap is asked for at each creation; a missing one leaves the tap
// uncreated and the log naming the file and what grants it.
TEST(LinuxEvents, ATapWithoutItsGrantIsNotCreatedAndTheLogNamesTheFile) {
  const auto log = std::make_shared<platform::CapturingLogSink>();
  const auto previousSink = platform::Log::setSink(log);
  const std::string denied = ": Permission denied — the udev rule 69-tactora.rules grants it";
  std::optional<std::string> listenDenial = "/dev/input/event7" + denied;
  LinuxEvents events({{},
                      {},
                      DesktopFamily::other,
                      nullptr,
                      nullptr,
                      nullptr,
                      [&] { return listenDenial; },
                      [&] { return std::optional("/dev/uinput" + denied); }});
  const auto create = [&](EventTapOptions options) {
    return events.createEventTap({.options = options},
                                 [](EventType, Event& event) { return &event; });
  };
  EXPECT_FALSE(create(EventTapOptions::listenOnly));
  EXPECT_FALSE(create(EventTapOptions::defaultTap));
  EXPECT_EQ(log->messages(), (Lines{"no listening event tap: /dev/input/event7" + denied,
                                    "no filtering event tap: /dev/uinput" + denied}));
  log->clear();
  listenDenial.reset();
  EXPECT_TRUE(create(EventTapOptions::listenOnly));
  EXPECT_TRUE(log->messages().empty());
  platform::Log::setSink(previousSink);
}

TEST(UinputWriter, EachBatchIsOneReportEndedBySynReportAndLongBatchesAreSplitWithTheirOwn) {
  EventPipe pipe;
  const UinputWriter writer(pipe.write.get());
  input_event moved = inputEvent(EV_REL, REL_X, 3);
  moved.input_event_sec = 77;  // uinput stamps its own times
  const std::vector<input_event> report = {moved, inputEvent(EV_REL, REL_Y, -2),
                                           inputEvent(EV_KEY, BTN_LEFT, 1)};
  ASSERT_TRUE(writer.writeReport(report));
  const std::vector<input_event> written = pipe.drain();
  EXPECT_EQ(reportLines(written), (Lines{"X 3 Y -2 +BTN_LEFT"}));
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

// The delivery thread's path: the processor's reports through a forwarder (the taps' filter) to a
// pipe standing in for the clone, in order with its frames. `log_` has them all in order
// ("report", the taps' "down", "up" and "scroll <axis 1>,<axis 2>", "frame <contacts>").
class Forwarding : public ::testing::Test, public ReportSink {
 protected:
  Forwarding() {
    device_.positionX = {0, 1000, 20};
    device_.positionY = {0, 1000, 20};
    forwarder_.setOutput(pipe_.write.get());
    buttonTap_ = taps_.createEventTap({.options = EventTapOptions::listenOnly,
                                       .mask = platform::eventMaskBit(EventType::leftMouseDown) |
                                               platform::eventMaskBit(EventType::leftMouseUp)},
                                      [this](EventType type, Event& event) {
                                        note(type == EventType::leftMouseDown ? "down" : "up");
                                        return &event;
                                      });
    scrollTap_ = taps_.createEventTap(
        {.mask = platform::eventMaskBit(EventType::scrollWheel)}, [this](EventType, Event& event) {
          using enum platform::EventField;
          note("scroll " + std::to_string(event.integerValueField(scrollWheelEventDeltaAxis1)) +
               "," + std::to_string(event.integerValueField(scrollWheelEventDeltaAxis2)));
          return swallow_.load() ? nullptr : &event;
        });
  }

  void forwardEvents(std::span<const input_event> events) override {
    note("report");
    written_ += forwarder_.forward(events) ? 1 : 0;
  }
  void deliverFrame(const platform::FrameAssembler& frame) override {
    if (recording_) {
      log_.push_back("frame " + std::to_string(frame.recordCount()));
    }
  }
  void note(std::string line) {
    if (recording_) {
      log_.push_back(std::move(line));
    }
  }

  void feed(std::initializer_list<input_event> events) {
    for (const input_event& event : events) {
      processor_.handleEvent(event, 1.0);
    }
  }

  const input_event report = inputEvent(EV_SYN, SYN_REPORT, 0);
  platform::EvdevTouchDevice device_;
  LinuxEventTaps taps_;
  EventPipe pipe_;
  ReportForwarder forwarder_{{&LinuxEventTaps::filterReportEntry, &taps_, true}};
  ReportProcessor processor_{device_, *this};
  std::shared_ptr<platform::EventTap> buttonTap_;
  std::shared_ptr<platform::EventTap> scrollTap_;
  bool recording_ = true;  // off where the test counts allocations
  int written_ = 0;
  Lines log_;
  std::atomic<bool> swallow_{false};
};

TEST_F(Forwarding, EverythingButTouchGoesOutInOrderBeforeTheFrameAndSwallowedWheelsGoTogether) {
  feed({inputEvent(EV_ABS, ABS_MT_SLOT, 0), inputEvent(EV_ABS, ABS_MT_TRACKING_ID, 5),
        inputEvent(EV_ABS, ABS_MT_TOUCH_MAJOR, 400), inputEvent(EV_REL, REL_X, 4),
        inputEvent(EV_ABS, ABS_MT_POSITION_X, 10), inputEvent(EV_KEY, BTN_LEFT, 1),
        inputEvent(EV_MSC, MSC_SCAN, 0x90001), report});
  feed({inputEvent(EV_KEY, BTN_LEFT, 2), report});  // the kernel's repeat: forwarded, no new press
  feed({inputEvent(EV_REL, REL_WHEEL, 1), inputEvent(EV_REL, REL_WHEEL_HI_RES, 120),
        inputEvent(EV_REL, REL_Y, -1), report});
  swallow_ = true;
  feed({inputEvent(EV_REL, REL_X, 2), inputEvent(EV_REL, REL_WHEEL_HI_RES, -30),
        inputEvent(EV_REL, REL_HWHEEL, 1), inputEvent(EV_KEY, BTN_LEFT, 0), report});
  feed({inputEvent(EV_REL, REL_WHEEL, -1), inputEvent(EV_REL, REL_WHEEL_HI_RES, -120), report});
  feed({inputEvent(EV_ABS, ABS_MT_TRACKING_ID, -1), report});
  scrollTap_->enable(false);  // skipped: its swallowing no longer applies
  feed({inputEvent(EV_REL, REL_WHEEL, 1), report});

  EXPECT_EQ(pipe_.reports(), (Lines{"X 4 +BTN_LEFT MSC_SCAN 589825", "+BTN_LEFT",
                                    "WHEEL 1 WHEEL_HI_RES 120 Y -1", "X 2 -BTN_LEFT", "WHEEL 1"}));
  EXPECT_EQ(log_, (Lines{"report", "down", "frame 1", "report", "frame 1", "report", "scroll 120,0",
                         "frame 1", "report", "up", "scroll -30,120", "frame 1", "report",
                         "scroll -120,0", "frame 1", "frame 0", "report"}));
  EXPECT_EQ(written_, 6) << "a swallowed report is no failed write";
}

// Every motion of the mouse passes through the forwarding path (a report's events, the taps, the
// write to the clone), so in the steady state it allocates nothing, wheels passed or swallowed.
TEST_F(Forwarding, SteadyReportsThroughTheTapsAllocateNothing) {
  if (!TACTORA_COUNTS_ALLOCATIONS) {
    GTEST_SKIP() << "allocations are not counted under a sanitizer";
  }
  recording_ = false;
  const auto feedRounds = [&](int rounds) {
    for (int round = 0; round < rounds; ++round) {
      feed({inputEvent(EV_REL, REL_X, 2), inputEvent(EV_KEY, BTN_LEFT, 1), report});
      feed({inputEvent(EV_REL, REL_WHEEL, 1), inputEvent(EV_REL, REL_WHEEL_HI_RES, 120), report});
      feed({inputEvent(EV_REL, REL_HWHEEL_HI_RES, -30), inputEvent(EV_KEY, BTN_LEFT, 0), report});
    }
  };
  for (const bool swallowing : {false, true}) {
    swallow_ = swallowing;
    feedRounds(5);  // warm up
    pipe_.drain();
    tactora::testing::allocationCount = 0;
    const int writtenBefore = written_;
    tactora::testing::countingAllocations = true;
    feedRounds(50);
    tactora::testing::countingAllocations = false;
    pipe_.drain();
    EXPECT_EQ(tactora::testing::allocationCount, 0u) << (swallowing ? "swallowing" : "passing");
    EXPECT_EQ(written_ - writtenBefore, 150);
  }
}

}  // namespace
}  // namespace tactora::lx
