// The button-state and scroll-suppression taps on the simulated event system.

#include <gtest/gtest.h>

#include "ActionKit/SharedEventSource.h"
#include "InputTestSupport.h"
#include "Tactora/input/ButtonStateTap.h"
#include "Tactora/input/ScrollSuppressionTap.h"

namespace tactora::testing {
namespace {

using platform::Event;
using platform::EventType;
using Mode = ScrollSuppressionMode;

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

class InputTapsTest : public SimInputTest {
 protected:
  // Starts both taps on their threads; the button tap's port comes first.
  void start() {
    button_->start();
    scroll_->start();
    sim_->timeline().runDue();
  }
  platform::EventTap& port(std::size_t index) { return *sim_->events().taps().at(index); }
  bool deliver(const Event& event) { return sim_->events().deliver(event).has_value(); }

  std::shared_ptr<ButtonStateTap> button_ = ButtonStateTap::create();
  std::shared_ptr<ScrollSuppressionTap> scroll_ = ScrollSuppressionTap::create();
};

TEST_F(InputTapsTest, ButtonFollowsPhysicalPressesOnlyAndReadsUpAfterTheTapWasDisabled) {
  start();
  EXPECT_EQ(port(0).parameters().options, platform::EventTapOptions::listenOnly);
  deliver(native(EventType::leftMouseDown));
  deliver(synthetic(native(EventType::leftMouseUp)));
  deliver(native(EventType::rightMouseUp));
  EXPECT_TRUE(button_->isButtonDown()) << "neither a synthetic nor a right release is ours";
  deliver(native(EventType::leftMouseUp));
  deliver(synthetic(native(EventType::leftMouseDown)));
  EXPECT_FALSE(button_->isButtonDown());

  // Each disabling may have hidden a release: the button reads up until the next press.
  deliver(native(EventType::leftMouseDown));
  sim_->events().disableTap(port(0), EventType::tapDisabledByTimeout);
  EXPECT_FALSE(button_->isButtonDown());
  EXPECT_TRUE(port(0).isEnabled());
  deliver(native(EventType::leftMouseDown));
  sim_->events().disableTap(port(0), EventType::tapDisabledByUserInput);
  deliver(native(EventType::leftMouseDown));
  advanceTo(now() + 0.3);
  sim_->events().disableTapSilently(port(0));
  advanceTo(now() + 6.0);  // found within a second; a healthy tap is left alone afterwards
  EXPECT_TRUE(port(0).isEnabled());
  EXPECT_FALSE(button_->isButtonDown());
  const auto recovery = [](const std::string& reason) {
    return "button-state tap disabled (" + reason + ") — re-enabled, isButtonDown reset to false";
  };
  EXPECT_EQ(messages("ButtonStateTap"), (Lines{recovery("timeout"), recovery("user input"),
                                               recovery("watchdog found it disabled")}));
  EXPECT_EQ(log_->lines().back().level, platform::LogLevel::error);
  deliver(native(EventType::leftMouseDown));
  EXPECT_TRUE(button_->isButtonDown());
}

TEST_F(InputTapsTest, ScrollTapRunsOnlyWhileAModeIsSetFiltersByModeAndRecoversToNone) {
  scroll_->setMode(Mode::horizontalOnly);  // before the tap exists: applied when it is created
  start();
  platform::EventTap& tap = port(1);
  EXPECT_EQ(tap.parameters().options, platform::EventTapOptions::defaultTap);
  EXPECT_TRUE(tap.isEnabled());
  for (auto [vertical, horizontal, passes] :
       {std::tuple{3, 1, true}, std::tuple{-2, 2, true}, std::tuple{0, 0, true},
        std::tuple{0, 2, false}, std::tuple{1, -3, false}}) {
    EXPECT_EQ(deliver(scroll(vertical, horizontal)), passes) << vertical << ", " << horizontal;
  }
  EXPECT_TRUE(deliver(synthetic(scroll(0, 5))));
  Event extreme = scroll(0, 0);
  extreme.setIntegerValueField(platform::EventField::scrollWheelEventDeltaAxis1, INT64_MIN);
  extreme.setIntegerValueField(platform::EventField::scrollWheelEventDeltaAxis2, INT64_MAX);
  EXPECT_TRUE(deliver(extreme));

  scroll_->setMode(Mode::none);
  EXPECT_FALSE(tap.isEnabled());
  EXPECT_TRUE(deliver(scroll(0, 3)));
  scroll_->setMode(Mode::all);
  EXPECT_TRUE(tap.isEnabled());
  EXPECT_FALSE(deliver(scroll(3, 0)));
  EXPECT_FALSE(deliver(scroll(0, 0)));
  EXPECT_TRUE(deliver(synthetic(scroll(3, 1))));
  EXPECT_TRUE(deliver(native(EventType::leftMouseDown))) << "only scroll events are filtered";

  // Disabled by the system while suppressing (or found so by the watchdog), the tap resets to
  // none and stays off until the next mode; an idle tap is meant to be off and is left so.
  sim_->events().disableTap(tap, EventType::tapDisabledByTimeout);
  EXPECT_EQ(scroll_->mode(), Mode::none);
  EXPECT_FALSE(tap.isEnabled());
  EXPECT_TRUE(deliver(scroll(0, 3)));
  sim_->events().disableTap(tap, EventType::tapDisabledByUserInput);
  advanceTo(now() + 3.0);
  scroll_->setMode(Mode::all);
  EXPECT_TRUE(tap.isEnabled());
  sim_->events().disableTapSilently(tap);
  advanceTo(now() + 1.0);
  EXPECT_EQ(scroll_->mode(), Mode::none);
  EXPECT_EQ(messages("ScrollSuppressionTap"),
            (Lines{"scroll-suppression tap disabled (timeout) — mode reset to none",
                   "scroll-suppression tap disabled (watchdog found it disabled) — mode reset to "
                   "none"}));
}

TEST_F(InputTapsTest, RefusedTapsAreLoggedOnceAndLeaveTheButtonUpAndScrollingNative) {
  sim_->events().setTapCreationFails(true);
  start();
  start();
  advanceTo(now() + 5.0);
  EXPECT_EQ(messages(""), (Lines{"failed to create button-state event tap — likely missing "
                                 "Accessibility/Input Monitoring",
                                 "failed to create scroll-suppression event tap — likely missing "
                                 "Accessibility"}));
  EXPECT_EQ(sim_->dispatch().startedThreadNames(),
            (Lines{ButtonStateTap::threadName, ScrollSuppressionTap::threadName}));
  scroll_->setMode(Mode::all);
  EXPECT_EQ(scroll_->mode(), Mode::all);
  EXPECT_TRUE(deliver(scroll(0, 3)));
  deliver(native(EventType::leftMouseDown));
  EXPECT_FALSE(button_->isButtonDown());
}

}  // namespace
}  // namespace tactora::testing
