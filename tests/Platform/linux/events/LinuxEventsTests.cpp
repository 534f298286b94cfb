// The Linux event system behind the platform seam: actions posted through it reach two pipes
// standing in for the virtual keyboard and the pointer, and the mouse's own button and wheels
// reach the program's real taps through the provider's report filter.

#include "Platform/linux/events/LinuxEvents.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "GestureEngine/GestureEvent.h"
#include "Platform/Log.h"
#include "Platform/linux/input/ReportForwarder.h"
#include "Platform/sim/SimPlatform.h"
#include "Tactora/input/ButtonStateTap.h"
#include "Tactora/input/ScrollSuppressionPolicy.h"
#include "Tactora/input/ScrollSuppressionTap.h"
#include "support/CapturingLogSink.h"
#include "tests/Platform/linux/EventPipe.h"

namespace tactora::lx {
namespace {

using platform::Event;
using platform::EventField;
using platform::EventType;
using Lines = std::vector<std::string>;

using Pipe = EventPipe;

// The simulated platform for everything but events, which are the Linux ones: the program's own
// services (its tap threads, its dispatcher) run on the virtual timeline as in the sim tests.
class LinuxEventsPlatform final : public platform::Platform {
 public:
  LinuxEventsPlatform(std::shared_ptr<sim::SimPlatform> sim, std::unique_ptr<LinuxEvents> events)
      : sim_(std::move(sim)), events_(std::move(events)) {}

  platform::Clock& clock() override { return sim_->clock(); }
  platform::Dispatch& dispatch() override { return sim_->dispatch(); }
  LinuxEvents& events() override { return *events_; }
  platform::SystemBridges& systemBridges() override { return sim_->systemBridges(); }
  platform::Accessibility& accessibility() override { return sim_->accessibility(); }
  platform::Workspace& workspace() override { return sim_->workspace(); }
  platform::Permissions& permissions() override { return sim_->permissions(); }
  platform::Preferences& preferences() override { return sim_->preferences(); }
  platform::LoginItems& loginItems() override { return sim_->loginItems(); }
  platform::Updater& updater() override { return sim_->updater(); }
  platform::KeyboardKeys& keyboardKeys() override { return sim_->keyboardKeys(); }
  platform::ApplicationCatalog& applicationCatalog() override { return sim_->applicationCatalog(); }
  platform::Battery& battery() override { return sim_->battery(); }
  platform::Panels& panels() override { return sim_->panels(); }

 private:
  std::shared_ptr<sim::SimPlatform> sim_;
  std::unique_ptr<LinuxEvents> events_;
};

class LinuxEventsTest : public ::testing::Test {
 protected:
  LinuxEventsTest() {
    auto events = std::make_unique<LinuxEvents>(
        LinuxEvents::Parts{platform::UniqueFd(::dup(keyboard_.write.get())),
                           platform::UniqueFd(::dup(pointer_.write.get())), DesktopFamily::gnome,
                           nullptr, [world = world_] { return std::optional(world->pointer); },
                           [world = world_] { return world->modifiers; },
                           [world = world_] { return world->listenDenial; },
                           [world = world_] { return world->filterDenial; }});
    events_ = events.get();
    platform_ = std::make_shared<LinuxEventsPlatform>(sim_, std::move(events));
    platform::Platform::install(platform_);
    forwarder_ = std::make_unique<ReportForwarder>(
        ReportFilter{&LinuxEventTaps::filterReportEntry, &events_->taps(), true});
    forwarder_->setOutput(clone_.write.get());
  }

  // The provider's filter as the evdev reader calls it, forwarding what the taps keep to a pipe
  // standing in for the mouse's clone.
  Lines forward(std::initializer_list<input_event> report) {
    EXPECT_TRUE(forwarder_->forward({report.begin(), report.size()}));
    return clone_.reports();
  }

  std::shared_ptr<sim::SimPlatform> sim_ = sim::SimPlatform::install(1000.0);
  Pipe keyboard_;
  Pipe pointer_;
  Pipe clone_;
  // What the pointer reads see. Shared with the reads: the installed platform outlives the test.
  struct World {
    platform::Point pointer{320, 240};
    platform::EventFlags modifiers = 0;
    // Why the grant behind each kind of tap is missing; nothing: granted.
    std::optional<std::string> listenDenial;
    std::optional<std::string> filterDenial;
  };
  std::shared_ptr<World> world_ = std::make_shared<World>();
  LinuxEvents* events_ = nullptr;
  std::shared_ptr<LinuxEventsPlatform> platform_;
  std::unique_ptr<ReportForwarder> forwarder_;
};

TEST_F(LinuxEventsTest, EventsCarryTheirSourceAndThePointerAndModifiersComeFromTheReads) {
  EXPECT_TRUE(events_->createEventSource(platform::EventSourceStateID::hidSystemState));
  const platform::EventSource source{platform::EventSourceStateID::hidSystemState, 77};
  world_->pointer = {12.5, 40};
  world_->modifiers = platform::eventFlags::maskCommand;
  const std::optional<Event> scroll =
      events_->createScrollWheelEvent(&source, platform::ScrollEventUnit::pixel, 1, -7, 9);
  ASSERT_TRUE(scroll);
  EXPECT_EQ(scroll->location(), world_->pointer);
  EXPECT_EQ(scroll->integerValueField(EventField::eventSourceUserData), 77);
  EXPECT_EQ(events_->pointerLocation(), world_->pointer);
  EXPECT_EQ(events_->flagsState(platform::EventSourceStateID::combinedSessionState),
            platform::eventFlags::maskCommand);
  EXPECT_EQ(events_->flagsState(platform::EventSourceStateID::privateState), 0u);
}

TEST(LinuxEvents, WithoutDevicesThereIsNoSourceAndNothingIsPostedAndWithoutXNothingIsHeld) {
  LinuxEvents events({});
  EXPECT_FALSE(events.canPost());
  EXPECT_FALSE(events.createEventSource(platform::EventSourceStateID::hidSystemState));
  const std::optional<Event> key = events.createKeyboardEvent(nullptr, 0, true);
  ASSERT_TRUE(key) << "events are values; only posting needs the devices";
  events.post(platform::EventTapLocation::hid, *key);
  EXPECT_EQ(events.pointerLocation(), (platform::Point{0, 0}));
  EXPECT_EQ(events.flagsState(platform::EventSourceStateID::combinedSessionState), 0u);

  // One device alone is not enough: a keyboard without a pointer would post half an action.
  Pipe keyboard;
  LinuxEvents half({platform::UniqueFd(::dup(keyboard.write.get())), platform::UniqueFd(),
                    DesktopFamily::other, nullptr, nullptr, nullptr});
  EXPECT_FALSE(half.createEventSource(platform::EventSourceStateID::hidSystemState));
  half.post(platform::EventTapLocation::hid, *key);
  EXPECT_TRUE(keyboard.reports().empty());
}

TEST_F(LinuxEventsTest, TheButtonTapFollowsTheMouseButtonThroughTheFilter) {
  const std::shared_ptr<ButtonStateTap> button = ButtonStateTap::create();
  button->start();
  sim_->timeline().runDue();  // the tap thread creates its tap

  EXPECT_EQ(forward({inputEvent(EV_REL, REL_X, 3), inputEvent(EV_KEY, BTN_LEFT, 1)}),
            (Lines{"X 3 +BTN_LEFT"}));
  EXPECT_TRUE(button->isButtonDown());
  EXPECT_EQ(forward({inputEvent(EV_KEY, BTN_LEFT, 2)}), (Lines{"+BTN_LEFT"}))
      << "the kernel's repeat is forwarded but is no new press";
  EXPECT_TRUE(button->isButtonDown());
  EXPECT_EQ(forward({inputEvent(EV_KEY, BTN_RIGHT, 0), inputEvent(EV_KEY, BTN_LEFT, 0)}),
            (Lines{"-BTN_RIGHT -BTN_LEFT"}));
  EXPECT_FALSE(button->isButtonDown());
}

TEST_F(LinuxEventsTest, ASwipeCandidateSwallowsTheMousesHorizontalScrollButNotItsVertical) {
  const std::shared_ptr<ScrollSuppressionTap> scroll = ScrollSuppressionTap::create();
  scroll->start();
  sim_->timeline().runDue();
  const input_event left = inputEvent(EV_REL, REL_HWHEEL, -1);
  const input_event leftHiRes = inputEvent(EV_REL, REL_HWHEEL_HI_RES, -120);
  const input_event motion = inputEvent(EV_REL, REL_X, -4);
  EXPECT_EQ(forward({motion, left, leftHiRes}), (Lines{"X -4 HWHEEL -1 HWHEEL_HI_RES -120"}))
      << "no suppression while idle";

  // One finger starts what may become a swipe: horizontal scrolling stops reaching the desktop.
  ScrollSuppressionPolicy policy;
  const double now = 1000.0;
  policy.updateForFrame(1, 0.05, now);
  scroll->setMode(policy.updateForEvent(GestureEvent::swipeCandidateBegan(), 1, now));
  ASSERT_EQ(scroll->mode(), ScrollSuppressionMode::horizontalOnly);
  EXPECT_EQ(forward({motion, left, leftHiRes}), (Lines{"X -4"}))
      << "the wheels go, the motion of the same report stays";
  EXPECT_EQ(forward({inputEvent(EV_REL, REL_WHEEL, 1), inputEvent(EV_REL, REL_WHEEL_HI_RES, 120)}),
            (Lines{"WHEEL 1 WHEEL_HI_RES 120"}));

  // The hold over, scrolling is native again.
  scroll->setMode(policy.updateForFrame(
      1, 0.5, now + ScrollSuppressionPolicy::swipeCandidateHoldSeconds + 0.01));
  ASSERT_EQ(scroll->mode(), ScrollSuppressionMode::none);
  EXPECT_EQ(forward({left}), (Lines{"HWHEEL -1"}));
}

TEST_F(LinuxEventsTest, ATapWithoutItsGrantIsNotCreatedAndTheLogNamesTheFile) {
  const auto log = std::make_shared<platform::CapturingLogSink>();
  const auto previousSink = platform::Log::setSink(log);
  const std::string mouseDenied =
      "/dev/input/event7: Permission denied — the udev rule 69-tactora.rules grants it";
  const std::string uinputDenied =
      "/dev/uinput: Permission denied — the udev rule 69-tactora.rules grants it";
  world_->listenDenial = mouseDenied;
  world_->filterDenial = uinputDenied;

  const std::shared_ptr<ButtonStateTap> button = ButtonStateTap::create();
  button->start();
  sim_->timeline().runDue();
  EXPECT_EQ(log->messages(), (Lines{"no listening event tap: " + mouseDenied,
                                    "failed to create button-state event tap — likely missing "
                                    "Accessibility/Input Monitoring"}));
  log->clear();

  const std::shared_ptr<ScrollSuppressionTap> scroll = ScrollSuppressionTap::create();
  scroll->start();
  sim_->timeline().runDue();
  EXPECT_EQ(log->messages(),
            (Lines{"no filtering event tap: " + uinputDenied,
                   "failed to create scroll-suppression event tap — likely missing "
                   "Accessibility"}));
  log->clear();

  // Untapped, the mouse's events all pass: the button is not seen, no scroll is swallowed.
  scroll->setMode(ScrollSuppressionMode::all);
  EXPECT_EQ(forward({inputEvent(EV_KEY, BTN_LEFT, 1), inputEvent(EV_REL, REL_WHEEL, 1)}),
            (Lines{"+BTN_LEFT WHEEL 1"}));
  EXPECT_FALSE(button->isButtonDown());

  // The grant is asked for at each creation: once it is there, a new tap works.
  world_->listenDenial.reset();
  const std::shared_ptr<ButtonStateTap> granted = ButtonStateTap::create();
  granted->start();
  sim_->timeline().runDue();
  EXPECT_EQ(forward({inputEvent(EV_KEY, BTN_LEFT, 0), inputEvent(EV_KEY, BTN_LEFT, 1)}),
            (Lines{"-BTN_LEFT +BTN_LEFT"}));
  EXPECT_TRUE(granted->isButtonDown());
  EXPECT_TRUE(log->messages().empty());
  platform::Log::setSink(previousSink);
}

}  // namespace
}  // namespace tactora::lx
