// The evdev provider against emulated device nodes: what it lists, the frames it delivers for
// recorded sessions, and what happens when the mouse leaves, returns, overflows or talks nonsense.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <climits>
#include <cstring>

#include "GestureEngine/GestureEngine.h"
#include "Platform/evdev/FrameAssembler.h"
#include "Platform/sim/SimPlatform.h"
#include "Tactora/input/InputPipeline.h"
#include "Tactora/input/MTBridge.h"
#include "tests/Platform/linux/EmulatedEvdevNode.h"
#include "tests/Platform/linux/EventPipe.h"
#include "tests/Platform/linux/ProviderClient.h"
#include "tests/support/desktop/DesktopSession.h"

namespace tactora::lx::test {
namespace {

using Lines = std::vector<std::string>;
constexpr const char* realSession = "examples/sessions/real/apple-magic-mouse-1-one-touch.evemu";

class EvdevProvider : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(nodes_.available()) << "runs under umockdev-wrapper (umockdev's preload library)";
    ASSERT_TRUE(client_.loaded());
    ProviderClient::clearRecords();
    mouse_ = readSession(realSession);
  }
  void TearDown() override {
    if (started_ != nullptr) {
      client_.stop(started_);
    }
    if (list_ != nullptr) {
      MTObjectRelease(&list_->object);
    }
    if (client_.loaded()) {
      client_.clearFilter();
    }
  }

  // Lists the devices and starts the first external one.
  MTDeviceRef startMouse() {
    list_ = client_.createList();
    for (std::int32_t i = 0; list_ != nullptr && i < list_->count; ++i) {
      if (!client_.isBuiltIn(list_->entries[i])) {
        EXPECT_EQ(client_.start(started_ = list_->entries[i]), 0);
        return started_;
      }
    }
    ADD_FAILURE() << "no external device listed";
    return nullptr;
  }

  void touch(int node, int slot, int id, int x, int y, int major, std::int64_t micros) {
    nodes_.write(node, EV_ABS, ABS_MT_SLOT, slot, micros);
    nodes_.write(node, EV_ABS, ABS_MT_TRACKING_ID, id, micros);
    nodes_.write(node, EV_ABS, ABS_MT_TOUCH_MAJOR, major, micros);
    nodes_.write(node, EV_ABS, ABS_MT_POSITION_X, x, micros);
    nodes_.write(node, EV_ABS, ABS_MT_POSITION_Y, y, micros);
  }
  void report(int node, std::int64_t micros) { nodes_.write(node, EV_SYN, SYN_REPORT, 0, micros); }
  // The clone follows the grab on the delivery thread: `probe` is written until it takes it.
  std::uint64_t waitForClone(const input_event& probe) {
    std::uint64_t clone = 0;
    EXPECT_TRUE(testing::eventually([&] { return (clone = client_.pointerWriter(&probe, 1, 0)); },
                                    ProviderClient::deadline))
        << "no clone";
    return clone;
  }

  // Waits for `count` events from the clone (or the deadline); all there are by then.
  static std::vector<input_event> readClone(int clone, std::size_t count) {
    std::vector<input_event> events;
    input_event event{};
    testing::eventually(
        [&] {
          while (events.size() < count && ::read(clone, &event, sizeof event) == sizeof event) {
            events.push_back(event);
          }
          return events.size() >= count;
        },
        ProviderClient::deadline);
    return events;
  }

  EmulatedEvdevNode nodes_;
  ProviderClient client_;
  platform::EvemuRecording mouse_;
  MTDeviceList* list_ = nullptr;
  MTDeviceRef started_ = nullptr;
};

TEST_F(EvdevProvider, ListsTouchpadsAsBuiltInTheMagicMouseAsExternalAndSkipsTheRest) {
  nodes_.add(3, mouse_, {.properties = {INPUT_PROP_POINTER, INPUT_PROP_BUTTONPAD}});  // touchpad
  nodes_.add(4, mouse_, {.properties = {INPUT_PROP_DIRECT}});                         // touchscreen
  nodes_.add(5, mouse_, {.phys = "tactora-virtual/event3"});  // our own clone
  nodes_.add(6, mouse_, {});

  list_ = client_.createList();
  ASSERT_NE(list_, nullptr);
  ASSERT_EQ(list_->count, 2);
  EXPECT_TRUE(client_.isBuiltIn(list_->entries[0]));
  EXPECT_FALSE(client_.isBuiltIn(list_->entries[1]));
  // The advertised resolutions are swapped: the surface is the narrow, long one.
  std::int32_t family = 0, width = 0, height = 0;
  client_.family(list_->entries[1], &family);
  client_.dimensions(list_->entries[1], &width, &height);
  EXPECT_EQ((std::array{family, width, height}), (std::array{112, 5194, 9069}));
}

class EvdevProviderSessions : public EvdevProvider,
                              public ::testing::WithParamInterface<const char*> {};

TEST_P(EvdevProviderSessions, DeliverTheFramesTheReplayMakes) {
  const platform::EvemuRecording session = readSession(GetParam());
  const std::vector<Frame> expected = framesOf(session);
  ASSERT_FALSE(expected.empty());
  nodes_.add(7, session, {});
  startMouse();
  for (const platform::EvemuRecording::Event& event : session.events) {
    nodes_.write(7, event.type, event.code, event.value, event.timeMicroseconds);
  }
  EXPECT_EQ(ProviderClient::waitForFrames(expected.size()), expected);
}

INSTANTIATE_TEST_SUITE_P(Recordings, EvdevProviderSessions,
                         ::testing::Values(realSession, "examples/sessions/tap-drag.evemu"));

TEST_F(EvdevProvider, LossMidDragEndsEveryContactOnceReleasesTheButtonAndTheReturnReadsAgain) {
  nodes_.add(8, mouse_, {});
  client_.setFilter(false);
  startMouse();
  touch(8, 0, 10, 100, 100, 400, 1000);
  touch(8, 1, 11, 300, 300, 400, 1000);
  nodes_.write(8, EV_KEY, BTN_LEFT, 1, 1000);
  report(8, 1000);
  ASSERT_EQ(ProviderClient::waitForFrames(1).size(), 1u);

  nodes_.remove(8);
  const std::vector<Frame> frames = ProviderClient::waitForFrames(2);
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(frames[1].count, 0);
  EXPECT_EQ(reportLines(ProviderClient::waitForForwarded(2)),
            Lines{"unfinished: +BTN_LEFT -BTN_LEFT"});

  // The mouse comes back on another node: the started device reads it without being reopened.
  // (Its udev announcement is what brings the reading back; without it nothing would be read.)
  nodes_.add(9, mouse_, {});
  touch(9, 0, 12, 100, 100, 400, 2000);
  report(9, 2000);
  // The returned mouse is read, and its contacts were ended once.
  const std::vector<Frame> after = ProviderClient::waitForFrames(3);
  ASSERT_EQ(after.size(), 3u);
  EXPECT_EQ((std::pair{after[2].count, after[2].timeSeconds}), (std::pair{1, 0.002}));
}

TEST_F(EvdevProvider, OverflowsOutOfRangeSlotsAndAbsurdValuesNeitherBreakNorLeakIntoFrames) {
  nodes_.add(10, mouse_, {});
  startMouse();
  for (int i = 0; i < 50; ++i) {
    touch(10, 0, 20, 100, 100, 400, 1000 + i);
    nodes_.write(10, EV_SYN, SYN_DROPPED, 0, 1000 + i);
    report(10, 1000 + i);
  }
  // After an overflow libevdev drops what is queued, and what is still unread, and reads the
  // state again: what comes after is read normally once the storm is behind the reader. A probe
  // report shows that; one written while the reader still catches up may be dropped with the
  // storm, so probes follow each other until one of them makes its frame.
  ASSERT_TRUE(nodes_.waitUntilRead(10));
  const auto hasProbe = [](const std::vector<Frame>& frames) {
    return std::any_of(frames.begin(), frames.end(),
                       [](const Frame& frame) { return frame.timeSeconds >= 0.0015; });
  };
  int probe = 0;
  ASSERT_TRUE(testing::eventually(
      [&] {
        touch(10, 0, 20, 100, 100, 400, 1500 + probe);
        report(10, 1500 + probe++);
        return hasProbe(ProviderClient::waitForFrames(hasProbe, std::chrono::seconds(1)));
      },
      ProviderClient::deadline))
      << "nothing is read after the storm";
  touch(10, 99, 21, 0, 0, 400, 2000);
  touch(10, -3, 22, 0, 0, 400, 2000);
  touch(10, 1, 23, INT_MAX, INT_MIN, INT_MAX, 2000);
  report(10, 2000);
  touch(10, 1, 23, 500, 500, 400, 3000);
  report(10, 3000);

  const std::vector<Frame> frames =
      ProviderClient::waitForFrames([](const std::vector<Frame>& frames) {
        return !frames.empty() && frames.back().timeSeconds == 0.003;
      });
  ASSERT_FALSE(frames.empty());
  for (const Frame& frame : frames) {
    for (std::size_t at = MT_CONTACT_OFFSET_POSITION; at < frame.records.size();
         at += MT_CONTACT_RECORD_SIZE) {
      float xy[2] = {};
      std::memcpy(xy, &frame.records[at], sizeof xy);
      EXPECT_TRUE(xy[0] >= 0 && xy[0] <= 1 && xy[1] >= 0 && xy[1] <= 1) << xy[0] << "," << xy[1];
    }
  }
  EXPECT_EQ(frames.back().timeSeconds, 0.003) << "the last report still makes its frame";
}

// The node also refuses the kernel's clock: frames are stamped with the monotonic clock instead.
TEST_F(EvdevProvider, GrabWaitsForTheButtonAndAFailedGrabLeavesGesturesReadOnlyWithOneLine) {
  nodes_.add(12, mouse_, {.grabError = EBUSY, .refuseClockId = true});
  nodes_.setKeyDown(12, BTN_LEFT, true);
  client_.setFilter(true);
  startMouse();
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  touch(12, 0, 40, 100, 100, 400, 1000);
  report(12, 1000);
  const std::vector<Frame> first = ProviderClient::waitForFrames(1);
  ASSERT_EQ(first.size(), 1u);
  EXPECT_GE(first[0].timeSeconds, static_cast<double>(now.tv_sec));
  EXPECT_EQ(nodes_.grabCalls(12), 0) << "no grab while the button is held";

  nodes_.setKeyDown(12, BTN_LEFT, false);
  nodes_.write(12, EV_KEY, BTN_LEFT, 0, 2000);
  report(12, 2000);
  EXPECT_TRUE(nodes_.waitForGrabCalls(12, 1)) << "no grab once the button is up";
  nodes_.write(12, EV_ABS, ABS_MT_POSITION_X, 120, 3000);
  nodes_.write(12, EV_REL, REL_WHEEL, 1, 3000);
  report(12, 3000);
  ASSERT_EQ(ProviderClient::waitForFrames(3).size(), 3u);
  EXPECT_EQ(nodes_.grabCalls(12), 1);
  const std::vector<std::string> lines = ProviderClient::logLines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("another program holds it"), std::string::npos) << lines[0];
  // Read-only: the taps still see the button and the wheel.
  EXPECT_EQ(ProviderClient::waitForForwarded(2).size(), 2u);
}

TEST_F(EvdevProvider, APressJustBeforeTheGrabLetsGoAndTheGrabWaitsForItsRelease) {
  ASSERT_GE(nodes_.addUinput(), 0);
  nodes_.add(16, mouse_, {.pressOnFirstGrab = true});
  client_.setFilter(true);
  startMouse();
  // Held, the press's release would go only to the clone: the mouse is let go at once.
  EXPECT_TRUE(nodes_.waitForGrabCalls(16, 2)) << "the mouse was kept with its button down";
  nodes_.setKeyDown(16, BTN_LEFT, false);
  nodes_.write(16, EV_KEY, BTN_LEFT, 0, 2000);
  report(16, 2000);
  EXPECT_TRUE(nodes_.waitForGrabCalls(16, 3)) << "not taken again once the button is up";
}

// The application's pipeline on virtual time over the real provider, the mouse's clone on an
// emulated /dev/uinput. Its watchdog re-opens a mouse that sent nothing for a minute, which must
// not reach the desktop: a button of ours held on the clone stays held. Then the mouse's reports
// and a release of ours, written as the poster writes it, arrive on the clone in order, and the
// clone ends with the mouse (which lets go of its button on the desktop). Where the poster sends
// what follows is the posting tests' business.
TEST_F(EvdevProvider,
       TheCloneOutlivesTheWatchdogsReopeningTakesOurEventsInOrderAndEndsWithTheMouse) {
  const int clone = nodes_.addUinput();
  ASSERT_GE(clone, 0);
  nodes_.add(17, mouse_, {});
  client_.setFilter(true);
  const auto sim = sim::SimPlatform::install(1000.0);
  MTBridgeSetProviderPath(TACTORA_EVDEV_PROVIDER_PATH);
  auto engine = std::make_shared<GestureEngine>(RecognitionConfig{},
                                                [&sim] { return sim->timeline().now(); });
  auto pipeline = InputPipeline::create(engine, [](const GestureEvent&) {});
  pipeline->start();
  ASSERT_TRUE(pipeline->hasActiveDevice());
  ASSERT_TRUE(nodes_.waitForGrabCalls(17, 1));
  // A drag of ours holds the button on the clone (which follows the grab on the reader's thread).
  const std::uint64_t cloneId = waitForClone(inputEvent(EV_KEY, BTN_LEFT, 1));
  ASSERT_NE(cloneId, 0u);

  sim->timeline().advanceBy(125.0);  // two quiet minutes: re-opened twice

  EXPECT_EQ(nodes_.grabCalls(17), 1) << "the mouse was let go and taken again";
  EXPECT_EQ(reportLines(readClone(clone, 2)), Lines{"+BTN_LEFT"});
  nodes_.write(17, EV_REL, REL_X, 5, 1000);
  nodes_.write(17, EV_REL, REL_WHEEL, 1, 1000);
  report(17, 1000);
  // The mouse sends no hi-res wheel, the clone has one: the twin is added.
  EXPECT_EQ(reportLines(readClone(clone, 4)), Lines{"X 5 WHEEL_HI_RES 120 WHEEL 1"});
  const input_event release = inputEvent(EV_KEY, BTN_LEFT, 0);
  EXPECT_EQ(client_.pointerWriter(&release, 1, cloneId), cloneId) << "the clone holding it is gone";
  nodes_.write(17, EV_REL, REL_Y, 2, 2000);
  report(17, 2000);
  EXPECT_EQ(reportLines(readClone(clone, 4)), (Lines{"-BTN_LEFT", "Y 2"}));
  nodes_.remove(17);
  input_event event{};
  EXPECT_TRUE(testing::eventually([&] { return ::read(clone, &event, sizeof event) == 0; },
                                  ProviderClient::deadline))
      << "the clone outlived the mouse";
  EXPECT_EQ(client_.pointerWriter(&release, 1, cloneId), 0u) << "a write reached a gone clone";
  pipeline->stop();
  pipeline.reset();
}

}  // namespace
}  // namespace tactora::lx::test
