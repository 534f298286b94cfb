#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/sim/SimPlatform.h"

namespace tactora::sim {
namespace {

using platform::Event;
using platform::EventField;
using platform::eventMaskBit;
using platform::EventTapOptions;
using platform::EventTapParameters;
using platform::EventType;

constexpr platform::EventMask leftButtonMask =
    eventMaskBit(EventType::leftMouseDown) | eventMaskBit(EventType::leftMouseUp);
constexpr platform::EventMask scrollMask = eventMaskBit(EventType::scrollWheel);

EventTapParameters tapParameters(EventTapOptions options, platform::EventMask mask) {
  return {platform::EventTapLocation::session, platform::EventTapPlacement::headInsert, options,
          mask};
}

class SimEventsTest : public ::testing::Test {
 protected:
  SimPlatform sim;
  SimEvents& events = sim.events();
  std::vector<std::string> seen;

  // A tap that notes what it saw under `name` and lets `decide` pick the result.
  std::shared_ptr<platform::EventTap> makeTap(
      const std::string& name, EventTapOptions options, platform::EventMask mask,
      std::function<Event*(EventType, Event&)> decide = {}) {
    return events.createEventTap(tapParameters(options, mask),
                                 [this, name, decide](EventType type, Event& event) -> Event* {
                                   seen.push_back(name + ":" + platform::toString(type));
                                   return decide ? decide(type, event) : &event;
                                 });
  }
};

TEST_F(SimEventsTest, DeliversToMatchingEnabledTapsInCreationOrder) {
  auto button = makeTap("button", EventTapOptions::listenOnly, leftButtonMask);
  auto scroll = makeTap("scroll", EventTapOptions::defaultTap, scrollMask);
  auto both = makeTap("both", EventTapOptions::defaultTap, leftButtonMask | scrollMask);

  events.deliver(SimEvents::nativeMouseEvent(EventType::leftMouseDown, {10, 20}));
  events.deliver(SimEvents::nativeScrollEvent(3, 0));
  events.deliver(SimEvents::nativeMouseEvent(EventType::rightMouseDown, {10, 20}));
  both->enable(false);
  events.deliver(SimEvents::nativeMouseEvent(EventType::leftMouseUp, {10, 20}));

  EXPECT_EQ(seen, (std::vector<std::string>{"button:leftMouseDown", "both:leftMouseDown",
                                            "scroll:scrollWheel", "both:scrollWheel",
                                            "button:leftMouseUp"}));
  EXPECT_EQ(events.delivered().size(), 4u);
  // A destroyed tap receives nothing more.
  seen.clear();
  button.reset();
  scroll.reset();
  both.reset();
  events.deliver(SimEvents::nativeMouseEvent(EventType::leftMouseDown, {}));
  EXPECT_TRUE(seen.empty());
  EXPECT_TRUE(events.taps().empty());
  EXPECT_EQ(events.tapsCreated(), 3u);
}

// A filter's answer counts, a listener's does not: neither its null nor its changes to the event.
TEST_F(SimEventsTest, FilteringTapSwallowsOrChangesAndStopsLaterTapsWhileListenerCannot) {
  auto listener = makeTap("listener", EventTapOptions::listenOnly, scrollMask,
                          [](EventType, Event& event) -> Event* {
                            event.setIntegerValueField(EventField::scrollWheelEventDeltaAxis1, 99);
                            return nullptr;
                          });
  auto filter = makeTap(
      "filter", EventTapOptions::defaultTap, scrollMask, [](EventType, Event& event) -> Event* {
        event.setIntegerValueField(EventField::eventSourceUserData, 7);
        const auto horizontal = event.integerValueField(EventField::scrollWheelEventDeltaAxis2);
        return horizontal != 0 ? nullptr : &event;
      });
  auto after = makeTap("after", EventTapOptions::listenOnly, scrollMask);

  const auto vertical = events.deliver(SimEvents::nativeScrollEvent(3, 0));
  const auto horizontal = events.deliver(SimEvents::nativeScrollEvent(0, 2));

  ASSERT_TRUE(vertical.has_value());
  EXPECT_EQ(vertical->integerValueField(EventField::scrollWheelEventDeltaAxis1), 3);
  EXPECT_EQ(vertical->integerValueField(EventField::eventSourceUserData), 7);
  EXPECT_FALSE(horizontal.has_value());
  EXPECT_EQ(seen, (std::vector<std::string>{"listener:scrollWheel", "filter:scrollWheel",
                                            "after:scrollWheel", "listener:scrollWheel",
                                            "filter:scrollWheel"}));
  const auto delivered = events.delivered();
  ASSERT_EQ(delivered.size(), 2u);
  EXPECT_FALSE(delivered[1].passed.has_value());
}

TEST_F(SimEventsTest, DisablingSendsTheNoticeAndStopsDeliveryUntilReenabled) {
  std::shared_ptr<platform::EventTap> tap;
  tap = makeTap("tap", EventTapOptions::listenOnly, leftButtonMask);

  events.disableTap(*tap, EventType::tapDisabledByTimeout);
  EXPECT_FALSE(tap->isEnabled());
  events.deliver(SimEvents::nativeMouseEvent(EventType::leftMouseDown, {}));
  events.disableTap(*tap, EventType::tapDisabledByUserInput);
  events.disableTapSilently(*tap);
  tap->enable(true);
  events.deliver(SimEvents::nativeMouseEvent(EventType::leftMouseUp, {}));

  EXPECT_EQ(seen, (std::vector<std::string>{"tap:tapDisabledByTimeout",
                                            "tap:tapDisabledByUserInput", "tap:leftMouseUp"}));
}

// Delivery catches up with due work first: a tap thread started just before is up by the time the
// event arrives.
TEST_F(SimEventsTest, DeliveryRunsDueWorkFirst) {
  std::shared_ptr<platform::EventTap> tap;
  auto thread = sim.dispatch().startThread("tap", [&](platform::RunLoop& loop) {
    tap = makeTap("tap", EventTapOptions::defaultTap, scrollMask,
                  [](EventType, Event&) -> Event* { return nullptr; });
    loop.addTapSource(tap);
    loop.run();
  });
  EXPECT_EQ(tap, nullptr);
  EXPECT_FALSE(events.deliver(SimEvents::nativeScrollEvent(1, 0)).has_value());
  EXPECT_EQ(seen, (std::vector<std::string>{"tap:scrollWheel"}));
}

TEST(SimEventValue, FieldsAreComparedByValueNotBySettingOrder) {
  Event a(EventType::leftMouseUp, {1, 2});
  a.setIntegerValueField(EventField::mouseEventClickState, 1);
  a.setIntegerValueField(EventField::mouseEventDeltaX, 3);
  Event b(EventType::leftMouseUp, {1, 2});
  b.setIntegerValueField(EventField::mouseEventDeltaX, 3);
  b.setIntegerValueField(EventField::mouseEventClickState, 1);
  b.setIntegerValueField(EventField::mouseEventDeltaY, 0);

  EXPECT_EQ(a, b);
  b.setIntegerValueField(EventField::mouseEventDeltaX, 4);
  EXPECT_NE(a, b);
}

}  // namespace
}  // namespace tactora::sim
