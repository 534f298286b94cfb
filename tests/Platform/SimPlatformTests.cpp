// The simulated platform: installs, threads and taps on virtual time, and its use from many
// threads at once.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/sim/SimPlatform.h"

namespace tactora::sim {
namespace {

using platform::Event;
using platform::EventField;
using platform::EventTapOptions;
using platform::EventType;

constexpr platform::EventMask leftButtonMask = platform::eventMaskBit(EventType::leftMouseDown) |
                                               platform::eventMaskBit(EventType::leftMouseUp);
constexpr platform::EventMask scrollMask = platform::eventMaskBit(EventType::scrollWheel);

class SimEventsTest : public ::testing::Test {
 protected:
  SimPlatform sim;
  SimEvents& events = sim.events();
  std::vector<std::string> seen;
  // A tap that notes what it saw under `name` and lets `decide` pick the result.
  std::shared_ptr<platform::EventTap> makeTap(
      const std::string& name, EventTapOptions options, platform::EventMask mask,
      std::function<Event*(EventType, Event&)> decide = {}) {
    return events.createEventTap(
        {platform::EventTapLocation::session, platform::EventTapPlacement::headInsert, options,
         mask},
        [this, name, decide](EventType type, Event& event) -> Event* {
          seen.push_back(name + ":" + std::string(platform::toString(type)));
          return decide ? decide(type, event) : &event;
        });
  }
  void click(EventType type) { events.deliver(SimEvents::nativeMouseEvent(type, {10, 20})); }
};

// The newest install is the current platform; an earlier one stays usable with its own folders.
TEST(SimPlatform, InstallMakesItTheCurrentPlatformAndKeepsEarlierOnesValid) {
  auto first = SimPlatform::install();
  platform::Clock& firstClock = platform::Platform::current().clock();
  auto second = SimPlatform::install(50.0);
  EXPECT_EQ(&platform::Platform::current(), second.get());
  EXPECT_NE(first->workspace().applicationSupportDirectory(),
            second->workspace().applicationSupportDirectory());
  first.reset();
  EXPECT_DOUBLE_EQ(firstClock.uptimeSeconds(), 0.0);  // still alive
}

// A thread's body runs at the next advance and its timers on the timeline; a pause is a step of
// virtual time that runs nothing that fell due, and the wall clock follows uptime.
TEST(SimPlatform, ThreadsRunOnTheTimelineAndPauseStepsTimeWithoutRunningWork) {
  SimPlatform sim(10.0);
  std::vector<double> ran;
  auto thread = sim.dispatch().startThread("tap", [&](platform::RunLoop& loop) {
    ran.push_back(sim.clock().uptimeSeconds());
    loop.scheduleRepeating(1.0, [&] { ran.push_back(sim.clock().uptimeSeconds()); });
    loop.run();  // returns at once on the simulated platform
  });
  EXPECT_TRUE(ran.empty());
  sim.timeline().advanceTo(12.5);
  EXPECT_EQ(ran, (std::vector<double>{10.0, 11.0, 12.0}));

  const double wallBefore = sim.clock().wallClockSeconds();
  bool otherRan = false;
  sim.dispatch().main().asyncAfter(0.01, [&] { otherRan = true; });
  sim.dispatch().pause(0.02);
  EXPECT_FALSE(otherRan);
  EXPECT_DOUBLE_EQ(sim.clock().uptimeSeconds(), 12.52);
  EXPECT_NEAR(sim.clock().wallClockSeconds() - wallBefore, 0.02, 1e-6);
}

// Matching enabled taps in creation order; a disabled tap receives nothing, and a destroyed one
// leaves the list. (The notices of a disabling are the input pipeline's cases.) Events compare by
// value, not setting order.
TEST_F(SimEventsTest, DeliversToMatchingEnabledTapsInCreationOrder) {
  auto button = makeTap("button", EventTapOptions::listenOnly, leftButtonMask);
  auto scroll = makeTap("scroll", EventTapOptions::defaultTap, scrollMask);
  auto both = makeTap("both", EventTapOptions::defaultTap, leftButtonMask | scrollMask);
  click(EventType::leftMouseDown);
  events.deliver(SimEvents::nativeScrollEvent(3, 0));
  click(EventType::rightMouseDown);
  both->enable(false);
  click(EventType::leftMouseUp);
  EXPECT_EQ(seen, (std::vector<std::string>{"button:leftMouseDown", "both:leftMouseDown",
                                            "scroll:scrollWheel", "both:scrollWheel",
                                            "button:leftMouseUp"}));
  button.reset();
  scroll.reset();
  both.reset();
  EXPECT_TRUE(events.taps().empty());

  Event a(EventType::leftMouseUp, {1, 2});
  a.setIntegerValueField(EventField::mouseEventClickState, 1);
  a.setIntegerValueField(EventField::mouseEventDeltaX, 3);
  Event b(EventType::leftMouseUp, {1, 2});
  b.setIntegerValueField(EventField::mouseEventDeltaX, 3);
  b.setIntegerValueField(EventField::mouseEventClickState, 1);
  b.setIntegerValueField(EventField::mouseEventDeltaY, 0);
  EXPECT_EQ(a, b);
}

// A filter's answer counts, a listener's does not: neither its null nor its changes to the event.
// The filter and the tap after it are made on a tap thread whose body runs at the next advance:
// delivery catches up with due work first.
TEST_F(SimEventsTest, FilteringTapSwallowsOrChangesAndStopsLaterTapsWhileListenerCannot) {
  auto listener = makeTap("listener", EventTapOptions::listenOnly, scrollMask,
                          [](EventType, Event& event) -> Event* {
                            event.setIntegerValueField(EventField::scrollWheelEventDeltaAxis1, 99);
                            return nullptr;
                          });
  std::shared_ptr<platform::EventTap> filter;
  std::shared_ptr<platform::EventTap> after;
  auto thread = sim.dispatch().startThread("tap", [&](platform::RunLoop& loop) {
    filter = makeTap(
        "filter", EventTapOptions::defaultTap, scrollMask, [](EventType, Event& event) -> Event* {
          event.setIntegerValueField(EventField::eventSourceUserData, 7);
          const auto horizontal = event.integerValueField(EventField::scrollWheelEventDeltaAxis2);
          return horizontal != 0 ? nullptr : &event;
        });
    after = makeTap("after", EventTapOptions::listenOnly, scrollMask);
    loop.addTapSource(filter);
    loop.run();
  });
  const auto vertical = events.deliver(SimEvents::nativeScrollEvent(3, 0));
  EXPECT_FALSE(events.deliver(SimEvents::nativeScrollEvent(0, 2)).has_value());
  ASSERT_TRUE(vertical.has_value());
  EXPECT_EQ(vertical->integerValueField(EventField::scrollWheelEventDeltaAxis1), 3);
  EXPECT_EQ(vertical->integerValueField(EventField::eventSourceUserData), 7);
  EXPECT_EQ(seen, (std::vector<std::string>{"listener:scrollWheel", "filter:scrollWheel",
                                            "after:scrollWheel", "listener:scrollWheel",
                                            "filter:scrollWheel"}));
  EXPECT_FALSE(events.delivered().back().passed.has_value());
}

}  // namespace
}  // namespace tactora::sim
