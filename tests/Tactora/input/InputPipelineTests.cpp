// The input pipeline on the simulated platform: the sim provider bound as the bridge binds it, a
// capturing log, and a pipeline over a real gesture engine.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ActionKit/SharedEventSource.h"
#include "GestureEngine/GestureEngine.h"
#include "Platform/Log.h"
#include "Platform/MultitouchProvider.h"
#include "Platform/sim/SimPlatform.h"
#include "Platform/sim/provider/SimMultitouch.h"
#include "Tactora/input/ButtonStateTap.h"
#include "Tactora/input/ContactRecordReader.h"
#include "Tactora/input/InputPipeline.h"
#include "Tactora/input/MTBridge.h"
#include "Tactora/input/ScrollSuppressionPolicy.h"
#include "Tactora/input/ScrollSuppressionTap.h"
#include "support/AllocationCounting.h"
#include "support/CapturingLogSink.h"
#include "support/GestureLog.h"
#include "support/Race.h"

namespace tactora::testing {
namespace {

using Contact = sim::SimMultitouch::Contact;
using Lines = std::vector<std::string>;
using Mode = ScrollSuppressionMode;
using platform::Event;
using platform::EventType;

// A sim platform with the sim provider and no devices, a log that keeps every line, and a
// pipeline over a gesture engine on the sim clock whose events land in `events`. The device
// references the pipeline took must all be released by the end.
class PipelineTest : public ::testing::Test {
 protected:
  ~PipelineTest() override {
    pipeline_.reset();
    mt().reset();
    EXPECT_EQ(mt().liveObjects(), 0) << "device references leaked";
    platform::Log::setSink(nullptr);
  }

  // The sim provider, bound once as the bridge binds it (it is built beside the tests).
  static const sim::SimMultitouch& mt() {
    static const auto bound = sim::SimMultitouch::bind(sim::SimMultitouch::defaultPath(), nullptr);
    return bound.value();
  }
  bool prepare() {
    platform::Log::setSink(log_);
    mt().reset();
    MTBridgeSetProviderPath(sim::SimMultitouch::defaultPath().c_str());
    return true;
  }
  double now() const { return sim_->timeline().now(); }
  void advanceTo(double seconds) { sim_->timeline().advanceTo(seconds); }
  Lines messages(std::string_view category) const { return log_->messages(category); }
  void fingerRestDrag() {
    RecognitionConfig config;
    config.dragActivation = DragActivation::fingerRest;
    engine_->updateConfig(config);
  }
  // Starts the pipeline and lets the tap threads create their taps.
  void start() {
    pipeline_->start();
    sim_->timeline().runDue();
  }
  // Starts the pipeline on a mouse with a 51.5 x 90.5 mm surface; `t0_` is a second later.
  void startOnMouse() {
    mt().addDevice(false, 112, 5150, 9050);
    start();
    t0_ = now() + 1.0;
  }
  // A frame of `device` at uptime `seconds`; false when no callback took it.
  bool frameAt(double seconds, std::vector<Contact> contacts, std::int32_t device = 0) {
    advanceTo(seconds);
    return mt().deliverFrame(device, contacts, seconds);
  }
  Mode tapMode() { return scroll_.mode(); }
  platform::EventTap& port(std::size_t index) { return *sim_->events().taps().at(index); }
  bool deliver(const platform::Event& event) { return sim_->events().deliver(event).has_value(); }

  std::shared_ptr<sim::SimPlatform> sim_ = sim::SimPlatform::install(1000.0);
  std::shared_ptr<platform::CapturingLogSink> log_ = std::make_shared<platform::CapturingLogSink>();
  bool prepared_ = prepare();
  GestureLog events;
  std::shared_ptr<GestureEngine> engine_ =
      std::make_shared<GestureEngine>(RecognitionConfig{}, [this] { return now(); });
  std::shared_ptr<InputPipeline> pipeline_ = InputPipeline::create(engine_, events.emitter());
  ButtonStateTap& button_ = pipeline_->buttonStateTap();
  ScrollSuppressionTap& scroll_ = pipeline_->scrollSuppressionTap();
  double t0_ = 0;
};

// Opening, choosing and re-opening the multitouch device.
TEST_F(PipelineTest, DevicesAreRetriedEveryTwoSecondsUntilTheFirstExternalOneIsChosen) {
  mt().setListAvailable(false);
  start();
  EXPECT_EQ(messages("InputPipeline"), Lines{"no multitouch devices found yet"});
  mt().setListAvailable(true);
  const auto trackpad = mt().addDevice(true, 98);
  log_->clear();
  advanceTo(now() + 4.0);
  EXPECT_EQ(messages("InputPipeline"),
            (Lines{"MT device[0]: builtin=true family=98",
                   "no external multitouch device (Magic Mouse) present",
                   "MT device[0]: builtin=true family=98",
                   "no external multitouch device (Magic Mouse) present"}));
  EXPECT_FALSE(pipeline_->hasActiveDevice());

  mt().addEmptyEntry();  // skipped, not logged
  const auto mouse = mt().addDevice(false, 112);
  const auto second = mt().addDevice(false, 113);
  log_->clear();
  advanceTo(now() + 2.0);
  EXPECT_EQ(messages("InputPipeline"),
            (Lines{"MT device[0]: builtin=true family=98", "MT device[2]: builtin=false family=112",
                   "MT device[3]: builtin=false family=113"}));
  EXPECT_FALSE(mt().isRegistered(trackpad) || mt().isRegistered(second));
  EXPECT_TRUE(mt().isStarted(mouse) && frameAt(now(), {Contact{1}}, mouse));
  log_->clear();
  advanceTo(now() + 10.0);
  EXPECT_TRUE(messages("InputPipeline").empty()) << "a working device is not re-enumerated";
}

TEST_F(PipelineTest, ImplausibleSurfaceSizesKeepThePreviousOne) {
  mt().addDevice(false, 112, 5000, 9000);
  start();
  EXPECT_EQ(pipeline_->surfaceSizeMM(), (SizeF{50.0f, 90.0f}));
  using Size = std::pair<int, int>;
  for (auto [width, height] :
       {Size{0, 0}, Size{60000, 60000}, Size{500, 9000}, Size{5000, 50000}}) {
    mt().reset();
    mt().addDevice(false, 112, width, height);
    pipeline_->handleWake();
    EXPECT_TRUE(pipeline_->hasActiveDevice());
    EXPECT_EQ(pipeline_->surfaceSizeMM(), (SizeF{50.0f, 90.0f})) << width << " x " << height;
  }
}

TEST_F(PipelineTest, FailedBridgeLoadsSayWhyAndLeaveThePipelineStartable) {
  MTBridgeSetProviderPath("libc.so.6");  // the first missing symbol is named
  EXPECT_EQ(MTBridgeLoad(), -1);
  EXPECT_STREQ(MTBridgeLastError(), "missing symbol: MTDeviceCreateList");
  const std::string longPath = "/nonexistent/" + std::string(600, 'x') + ".so";
  MTBridgeSetProviderPath(longPath.c_str());
  EXPECT_EQ(MTBridgeLoad(), -1);
  EXPECT_EQ(std::string(MTBridgeLastError()).size(), 255u) << "cut, not overflowing";

  const auto mouse = mt().addDevice(false, 112);
  MTBridgeSetProviderPath("/nonexistent/libTactoraEvdevProvider.so");
  start();
  EXPECT_FALSE(pipeline_->isStarted());
  ASSERT_EQ(log_->lines().size(), 1u);
  EXPECT_EQ(log_->lines()[0].level, platform::LogLevel::error);
  EXPECT_EQ(log_->lines()[0].message.rfind("multitouch provider unavailable: "
                                           "dlopen failed: /nonexistent/libTactoraEvdev",
                                           0),
            0u);
  EXPECT_TRUE(sim_->dispatch().startedThreadNames().empty()) << "no tap before a loaded bridge";

  MTBridgeSetProviderPath(sim::SimMultitouch::defaultPath().c_str());
  start();
  start();
  EXPECT_EQ(mt().startCount(mouse), 1);
  EXPECT_EQ(sim_->workspace().didWakeSubscriberCount(), 1u);
}

// A device silent for 60 s is reopened by the watchdog (checked every 2 s, on the uptime clock);
// a stop closes the device side and stops the watchdog, and destruction releases it.
TEST_F(PipelineTest, SilentDevicesAreReopenedAndStopAndDestructionReleaseThem) {
  const auto mouse = mt().addDevice(false, 112);
  start();
  const double lastFrame = now() + 0.5;
  ASSERT_TRUE(frameAt(lastFrame, {Contact{1}}));
  ASSERT_TRUE(frameAt(lastFrame + 0.01, {}));
  // Setting the wall clock forward does not make the device look silent.
  sim_->clock().setWallClockOffset(sim::SimClock::defaultWallClockOffsetSeconds + 3600.0);
  log_->clear();
  advanceTo(lastFrame + 60.0);
  EXPECT_EQ(mt().startCount(mouse), 1);
  advanceTo(lastFrame + 62.0);
  EXPECT_EQ(mt().startCount(mouse), 2);
  EXPECT_EQ(messages("InputPipeline"), (Lines{"no frames for 60s — re-enumerating",
                                              "MT device[0]: builtin=false family=112"}));
  EXPECT_TRUE(frameAt(now(), {Contact{1}}));

  pipeline_->stop();
  EXPECT_FALSE(mt().isRegistered(mouse) || mt().isStarted(mouse));
  EXPECT_EQ(sim_->workspace().didWakeSubscriberCount(), 0u);
  log_->clear();
  advanceTo(now() + 100);
  EXPECT_TRUE(messages("InputPipeline").empty()) << "the watchdog stopped with the pipeline";
  start();
  EXPECT_EQ(mt().startCount(mouse), 3);
  EXPECT_EQ(sim_->dispatch().startedThreadNames(),
            (Lines{ButtonStateTap::threadName, ScrollSuppressionTap::threadName}))
      << "the tap threads outlive a stop and start once";
  pipeline_.reset();
  EXPECT_FALSE(mt().isRegistered(mouse));
  EXPECT_EQ(InputPipeline::currentPipeline(), nullptr);
}

// Scroll suppression across frames; the frame observer (the settings' live surface) sees each
// frame as the engine got it.
TEST_F(PipelineTest, SuppressionAgeCountsFromTheFirstFingerAndEndsWithTheLastOne) {
  startOnMouse();
  std::vector<std::size_t> touches;
  pipeline_->setFrameObserver(
      [&touches](const BorrowedFrame& frame) { touches.push_back(frame.touches.size()); });
  const Contact one{1, 4, 0.4f, 0.5f};
  const Contact two{2, 4, 0.6f, 0.5f};
  frameAt(t0_, {one});
  EXPECT_EQ(tapMode(), Mode::none) << "one finger scrolls natively";
  frameAt(t0_ + 0.10, {one, two});
  EXPECT_EQ(tapMode(), Mode::all);
  frameAt(t0_ + 0.19, {one, two});
  EXPECT_EQ(tapMode(), Mode::all);
  frameAt(t0_ + 0.21, {one, two});
  EXPECT_EQ(tapMode(), Mode::none) << "the second finger's touch-down does not restart the window";
  frameAt(t0_ + 0.22, {});
  // The empty frame still carries both fingers, as lifted: the engine sees them end.
  EXPECT_EQ(touches, (std::vector<std::size_t>{1, 2, 2, 2, 2}));

  // A frame whose records pointer is missing is dropped, whatever its count.
  frameAt(t0_ + 0.3, {Contact{3}, Contact{4}});
  ASSERT_EQ(tapMode(), Mode::all);
  EXPECT_TRUE(mt().deliverRawFrame(0, nullptr, 2, t0_ + 0.5));
  EXPECT_EQ(tapMode(), Mode::all);
  // An empty frame ends every finger and drops suppression at once.
  frameAt(t0_ + 0.31, {});
  EXPECT_EQ(tapMode(), Mode::none);
  EXPECT_EQ(pipeline_->suppressionPolicy().mode(), Mode::none);
  frameAt(t0_ + 0.5, {Contact{5}, Contact{6}});
  EXPECT_EQ(tapMode(), Mode::all) << "a fresh pair is young again";
  events.take();
}

// A finger rests while the whole mouse moves: the pointer travels, the finger does not. Wake
// ends the drag once and reopens the device; a stop leaves the drag to the owner.
TEST_F(PipelineTest, WakeEndsADragOnceAndStopLeavesItToTheOwner) {
  fingerRestDrag();
  startOnMouse();
  for (const bool wake : {true, false}) {
    const double t = t0_ + (wake ? 0 : 2);
    sim_->events().setPointer({500, 400});
    frameAt(t, {Contact{1}});
    frameAt(t + 0.01, {Contact{1}});
    sim_->events().setPointer({520, 400});
    frameAt(t + 0.02, {Contact{1}});
    ASSERT_EQ(events.take(), (std::vector{dragBegan(500, 400)}));
    ASSERT_EQ(tapMode(), Mode::all);
    if (!wake) {
      pipeline_->stop();
      EXPECT_TRUE(events.take().empty());
      EXPECT_TRUE(engine_->isDragging());
      EXPECT_EQ(tapMode(), Mode::none);
      break;
    }
    advanceTo(t + 0.5);
    sim_->workspace().postDidWake();
    EXPECT_EQ(events.take(), (std::vector{dragEnded()}));
    EXPECT_EQ(tapMode(), Mode::none);
    EXPECT_FALSE(pipeline_->suppressionPolicy().isDragging());
    EXPECT_EQ(mt().startCount(0), 2);
    EXPECT_TRUE(log_->contains("system woke — re-enumerating multitouch devices"));
    // The resting finger, seen again after the wake, is a new contact: no second end.
    frameAt(t + 0.6, {Contact{1}});
    frameAt(t + 0.7, {});
    for (const GestureEvent& e : events.take()) {
      EXPECT_NE(e, dragEnded());
    }
  }
}

// The pipeline's button-state and scroll-suppression taps on the simulated event system; the
// button tap's port comes first.

Event native(EventType type) {
  return sim::SimEvents::nativeMouseEvent(type, {100, 100});
}
Event synthetic(Event event) {
  event.setIntegerValueField(platform::EventField::eventSourceUserData,
                             SharedEventSource::syntheticMarker);
  return event;
}
Event scroll(std::int32_t vertical, std::int32_t horizontal) {
  return sim::SimEvents::nativeScrollEvent(vertical, horizontal);
}

using InputTapsTest = PipelineTest;
TEST_F(InputTapsTest, ButtonFollowsPhysicalPressesOnlyAndReadsUpAfterTheTapWasDisabled) {
  startOnMouse();  // with a device the pipeline's own watchdog stays quiet
  EXPECT_EQ(port(0).parameters().options, platform::EventTapOptions::listenOnly);
  deliver(native(EventType::leftMouseDown));
  deliver(synthetic(native(EventType::leftMouseUp)));
  deliver(native(EventType::rightMouseUp));
  EXPECT_TRUE(button_.isButtonDown()) << "neither a synthetic nor a right release is ours";
  deliver(native(EventType::leftMouseUp));
  deliver(synthetic(native(EventType::leftMouseDown)));
  EXPECT_FALSE(button_.isButtonDown());

  // Each disabling may have hidden a release: the button reads up until the next press.
  deliver(native(EventType::leftMouseDown));
  sim_->events().disableTap(port(0), EventType::tapDisabledByTimeout);
  EXPECT_FALSE(button_.isButtonDown());
  EXPECT_TRUE(port(0).isEnabled());
  deliver(native(EventType::leftMouseDown));
  advanceTo(now() + 0.3);
  sim_->events().disableTapSilently(port(0));
  advanceTo(now() + 6.0);  // found within a second; a healthy tap is left alone afterwards
  EXPECT_TRUE(port(0).isEnabled());
  EXPECT_FALSE(button_.isButtonDown());
  const auto recovery = [](const std::string& reason) {
    return "button-state tap disabled (" + reason + ") — re-enabled, isButtonDown reset to false";
  };
  EXPECT_EQ(messages("ButtonStateTap"),
            (Lines{recovery("timeout"), recovery("watchdog found it disabled")}));
  EXPECT_EQ(log_->lines().back().level, platform::LogLevel::error);
  deliver(native(EventType::leftMouseDown));
  EXPECT_TRUE(button_.isButtonDown());
}

TEST_F(InputTapsTest, ScrollTapRunsOnlyWhileAModeIsSetFiltersByModeAndRecoversToNone) {
  scroll_.setMode(Mode::horizontalOnly);  // before the tap exists: applied when it is created
  start();
  platform::EventTap& tap = port(1);
  EXPECT_EQ(tap.parameters().options, platform::EventTapOptions::defaultTap);
  EXPECT_TRUE(tap.isEnabled());
  // Which native scrolls pass each mode is also checked on the Linux event filter.
  EXPECT_TRUE(deliver(scroll(-2, 2)));
  EXPECT_FALSE(deliver(scroll(1, -3)));
  EXPECT_TRUE(deliver(synthetic(scroll(0, 5))));
  Event extreme = scroll(0, 0);
  extreme.setIntegerValueField(platform::EventField::scrollWheelEventDeltaAxis1, INT64_MIN);
  extreme.setIntegerValueField(platform::EventField::scrollWheelEventDeltaAxis2, INT64_MAX);
  EXPECT_TRUE(deliver(extreme));

  scroll_.setMode(Mode::none);
  EXPECT_FALSE(tap.isEnabled());
  EXPECT_TRUE(deliver(scroll(0, 3)));
  scroll_.setMode(Mode::all);
  EXPECT_TRUE(tap.isEnabled());
  EXPECT_FALSE(deliver(scroll(3, 0)));
  EXPECT_FALSE(deliver(scroll(0, 0)));
  EXPECT_TRUE(deliver(synthetic(scroll(3, 1))));
  EXPECT_TRUE(deliver(native(EventType::leftMouseDown))) << "only scroll events are filtered";

  // Disabled by the system while suppressing (or found so by the watchdog), the tap resets to
  // none and stays off until the next mode; an idle tap is meant to be off and is left so.
  sim_->events().disableTap(tap, EventType::tapDisabledByTimeout);
  EXPECT_EQ(scroll_.mode(), Mode::none);
  EXPECT_FALSE(tap.isEnabled());
  EXPECT_TRUE(deliver(scroll(0, 3)));
  advanceTo(now() + 3.0);
  scroll_.setMode(Mode::all);
  EXPECT_TRUE(tap.isEnabled());
  sim_->events().disableTapSilently(tap);
  advanceTo(now() + 1.0);
  EXPECT_EQ(scroll_.mode(), Mode::none);
  EXPECT_EQ(messages("ScrollSuppressionTap"),
            (Lines{"scroll-suppression tap disabled (timeout) — mode reset to none",
                   "scroll-suppression tap disabled (watchdog found it disabled) — mode reset to "
                   "none"}));
}

// The frame path allocates nothing once its buffers have grown to the contacts in play.
TEST_F(PipelineTest, SteadyFramesAllocateNothing) {
  if (!TACTORA_COUNTS_ALLOCATIONS) {
    GTEST_SKIP() << "allocations are not counted under a sanitizer";
  }
  startOnMouse();
  double t = t0_;
  std::vector<unsigned char> records(3 * MT_CONTACT_RECORD_SIZE);
  auto deliver = [&](int fingers, float jitter, bool counting = false) {
    for (int i = 0; i < fingers; ++i) {
      MTWriteContactRecord(&records[std::size_t(i) * MT_CONTACT_RECORD_SIZE], i + 1, 4,
                           0.3f + 0.2f * float(i) + jitter, 0.5f - jitter, 0, 0, 1);
    }
    advanceTo(t += 0.01);  // timers of the simulation may allocate; they are not the frame path
    countingAllocations = counting;
    const bool delivered = mt().deliverRawFrame(0, records.data(), fingers, t);
    countingAllocations = false;
    return delivered;
  };
  // Warm up: fingers land, rest and lift once, so every buffer has its room.
  for (int frame = 0; frame < 30; ++frame) {
    ASSERT_TRUE(deliver(3, 0));
  }
  deliver(0, 0);
  for (int fingers = 1; fingers <= 3; ++fingers) {
    ASSERT_TRUE(deliver(fingers, 0));
    allocationCount = 0;
    for (int frame = 0; frame < 200; ++frame) {
      deliver(fingers, float(frame % 2) * 0.0005f, true);
    }
    EXPECT_EQ(allocationCount, 0u) << fingers << " finger(s)";
    deliver(0, 0);
  }
  events.take();
}

// Frames on a delivery thread while the main thread opens, closes and resets the device and the
// taps report the button and filter scroll events. The threads start together, and neither
// stops before the other has done a minimum of rounds, so their work overlaps whatever the
// scheduler does; the gestures reach the log under the engine's lock.
// The threaded cases are named *Concurrency: the ThreadSanitizer run picks them by that name.
using InputPipelineConcurrency = PipelineTest;

TEST_F(InputPipelineConcurrency, MainThreadAndTapsDoNotOverlapFrames) {
  fingerRestDrag();
  startOnMouse();
  const auto frames = [](int cycle) {
    const std::int32_t id = 1 + 2 * cycle;
    for (int step = 0; step < 12; ++step) {
      const float dx = 0.02f * float(step);
      const Contact fingers[] = {{id, 4, 0.3f + dx, 0.5f}, {id + 1, 4, 0.6f + dx, 0.5f}};
      mt().deliverFrame(0, fingers, 0.01 * cycle);
    }
    mt().deliverFrame(0, {}, 0.01 * cycle);
  };
  const auto mainThread = [this](int round) {
    switch (round % 4) {
      case 0:
        pipeline_->handleWake();
        break;
      case 1:
        advanceTo(now() + 2.0);  // watchdog tick
        break;
      case 2:
        pipeline_->stop();
        break;
      case 3:
        pipeline_->start();
        break;
    }
    (void)pipeline_->surfaceSizeMM();
    (void)pipeline_->suppressionPolicy();
    // Each round presses and releases, so the button ends up whatever the number of rounds.
    for (const Event& event : {native(EventType::leftMouseDown), scroll(round % 3, 1),
                               native(EventType::leftMouseUp), scroll((round + 1) % 3, 1)}) {
      sim_->events().deliver(event);
    }
  };
  race({frames, mainThread}, 100);
  pipeline_->stop();
  EXPECT_EQ(tapMode(), Mode::none);
  EXPECT_FALSE(pipeline_->buttonStateTap().isButtonDown());
  events.take();
}
// Reads one frame of contact records, encoded as a device sends them with velocity (0.1, -0.2)
// and size 1.25.
std::vector<Touch> frame(ContactRecordReader& reader, double now, std::vector<Contact> records) {
  std::vector<unsigned char> bytes(std::max<std::size_t>(records.size(), 1) *
                                   MT_CONTACT_RECORD_SIZE);
  for (std::size_t i = 0; i < records.size(); ++i) {
    MTWriteContactRecord(&bytes[i * MT_CONTACT_RECORD_SIZE], records[i].id, records[i].state,
                         records[i].x, records[i].y, 0.1f, -0.2f, 1.25f);
  }
  reader.read(static_cast<std::int32_t>(records.size()), bytes.data(), now);
  return {reader.touches().begin(), reader.touches().end()};
}

// A touch read from such a record, and one that ended (with neither velocity nor size).
Touch touching(std::int32_t id, TouchPhase phase, float x, float y) {
  return Touch{id, phase, {x, y}, {0.1f, -0.2f}, 1.25f, 0};
}
Touch lifted(std::int32_t id, float x, float y) {
  return Touch{id, TouchPhase::ended, {x, y}, {}, 0, 0};
}

TEST(ContactRecordReader, ContactsBeginMoveAndEndOnceAcrossFrames) {
  using enum TouchPhase;
  ContactRecordReader reader;
  // Only states 3 and 4 touch; a contact listed twice in one frame keeps its first record.
  EXPECT_EQ(frame(reader, 1.0, {{1, 1}, {2, 2}, {3, 3, 0.2f, 0.3f}, {3, 4, 0.9f}, {5, 5}, {7, 7}}),
            (std::vector{touching(3, began, 0.2f, 0.3f)}));
  EXPECT_EQ(reader.touchingCount(), 1);

  EXPECT_EQ(frame(reader, 1.1, {{3, 4, 0.4f, 0.5f}, {4, 3}}),
            (std::vector{touching(3, moved, 0.4f, 0.5f), touching(4, began, 0.5f, 0.5f)}));
  EXPECT_DOUBLE_EQ(reader.previousContact(3)->touchedDownAt, 1.0);
  EXPECT_DOUBLE_EQ(reader.previousContact(4)->touchedDownAt, 1.1);
  EXPECT_DOUBLE_EQ(reader.earliestTouchDown(), 1.0) << "the age counts from the first finger";

  // Contact 3 turns to state 5: it ends at its last touching position, and its lingering states
  // afterwards add nothing.
  EXPECT_EQ(frame(reader, 1.2, {{3, 5, 0.9f, 0.9f}, {4, 4}}),
            (std::vector{touching(4, moved, 0.5f, 0.5f), lifted(3, 0.4f, 0.5f)}));
  EXPECT_DOUBLE_EQ(reader.earliestTouchDown(), 1.1);
  EXPECT_EQ(frame(reader, 1.3, {{3, 6}, {4, 4}}).size(), 1u);
  EXPECT_DOUBLE_EQ(reader.previousContact(4)->touchedDownAt, 1.1);

  // A frame without records ends every remembered contact, once.
  EXPECT_EQ(frame(reader, 1.4, {}), (std::vector{lifted(4, 0.5f, 0.5f)}));
  EXPECT_TRUE(reader.isEmpty());
  EXPECT_DOUBLE_EQ(reader.earliestTouchDown(), 1.4);
  reader.read(-3, nullptr, 1.5);
  EXPECT_TRUE(reader.touches().empty());
}

// Which scrolling is held back, from frames and engine events.

// Scripts of calls on the policy, each "NOW COUNT AGE MODE" (a frame with COUNT contacts of age AGE
// at uptime NOW) or "NOW COUNT EVENT MODE" (an event emitted in a frame with COUNT contacts), and
// the mode each call must leave.
TEST(ScrollSuppressionPolicy, ModesFollowFramesHoldsAndDrags) {
  const std::map<std::string, GestureEvent> events = {
      {"candidate", GestureEvent::swipeCandidateBegan()},
      {"swipe3", GestureEvent::swipe(3, Direction::left)},
      {"swipe1", GestureEvent::swipe(1, Direction::right)},
      {"drag", GestureEvent::dragBegan(1, 2)},
      {"dragEnded", GestureEvent::dragEnded()},
      {"tap", GestureEvent::tap(2)}};
  const std::map<std::string, Mode> modes = {
      {"none", Mode::none}, {"all", Mode::all}, {"horizontal", Mode::horizontalOnly}};
  const std::pair<const char*, const char*> scripts[] = {
      {"several fingers hold all scrolling for their first 0.2 s",
       "10 2 0 all; 10.19 3 0.19 all; 10.2 2 0.2 none"},
      {"a candidate holds 0.35 s, the swipe extends to 0.6 s, a later candidate never shortens",
       "10 3 0.5 none; 10 3 candidate all; 10.1 3 swipe3 all; 10.2 3 candidate all; "
       "10.69 3 1 all; 10.7 3 1 none"},
      {"a one-finger swipe holds horizontal scrolling only",
       "10 1 0.3 none; 10 1 swipe1 horizontal; 10.59 1 0.5 horizontal; 10.6 1 0.6 none"},
      {"a drag holds everything; its end lowers nothing until the next frame",
       "10 1 0.5 none; 10 1 drag all; 15 1 5 all; 15 1 dragEnded all; 15.01 1 5.01 none"},
      {"events never lower the mode",
       "10 2 0 all; 10 2 tap all; 10 1 swipe1 all; 10.3 2 0.3 horizontal"},
      {"an empty surface drops every hold",
       "10 2 0.5 none; 10 2 swipe3 all; 10 1 swipe1 all; 10 1 drag all; 10.05 0 0 none; "
       "10.1 1 0 none"},
  };
  for (const auto& [name, script] : scripts) {
    SCOPED_TRACE(name);
    ScrollSuppressionPolicy policy;
    std::istringstream calls(script);
    for (std::string call; std::getline(calls, call, ';');) {
      std::istringstream in(call);
      double now = 0;
      int count = 0;
      std::string what;
      std::string mode;
      in >> now >> count >> what >> mode;
      const Mode left = events.contains(what) ? policy.updateForEvent(events.at(what), count, now)
                                              : policy.updateForFrame(count, std::stod(what), now);
      EXPECT_EQ(left, modes.at(mode)) << call;
    }
  }
}

}  // namespace
}  // namespace tactora::testing
