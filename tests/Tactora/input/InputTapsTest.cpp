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

class ButtonStateTapTest : public SimInputTest {
 protected:
  void start() {
    tap_->start();
    sim_->timeline().runDue();
  }
  platform::EventTap& port() { return *sim_->events().taps().at(0); }
  std::shared_ptr<ButtonStateTap> tap_ = ButtonStateTap::create();
};

TEST_F(ButtonStateTapTest, FollowsPhysicalPressesAndIgnoresTheProgramsOwn) {
  start();
  EXPECT_EQ(port().parameters().options, platform::EventTapOptions::listenOnly);
  EXPECT_FALSE(tap_->isButtonDown());
  sim_->events().deliver(native(EventType::leftMouseDown));
  EXPECT_TRUE(tap_->isButtonDown());
  sim_->events().deliver(synthetic(native(EventType::leftMouseUp)));
  EXPECT_TRUE(tap_->isButtonDown()) << "a synthetic release is not the user's";
  sim_->events().deliver(native(EventType::rightMouseDown));
  sim_->events().deliver(native(EventType::leftMouseUp));
  EXPECT_FALSE(tap_->isButtonDown());
  sim_->events().deliver(synthetic(native(EventType::leftMouseDown)));
  EXPECT_FALSE(tap_->isButtonDown());
}

TEST_F(ButtonStateTapTest, DisabledTapReadsAsUpUntilTheNextPressAndIsReenabled) {
  start();
  for (auto [notice, reason] : {std::pair{EventType::tapDisabledByTimeout, "timeout"},
                                std::pair{EventType::tapDisabledByUserInput, "user input"}}) {
    sim_->events().deliver(native(EventType::leftMouseDown));
    sim_->events().disableTap(port(), notice);
    EXPECT_FALSE(tap_->isButtonDown()) << "a release may have been missed";
    EXPECT_TRUE(port().isEnabled());
    EXPECT_EQ(messages("ButtonStateTap").back(), std::string("button-state tap disabled (") +
                                                     reason +
                                                     ") — re-enabled, isButtonDown reset to false");
    EXPECT_EQ(log_->lines().back().level, platform::LogLevel::error);
  }
  sim_->events().deliver(native(EventType::leftMouseDown));
  EXPECT_TRUE(tap_->isButtonDown());
}

TEST_F(ButtonStateTapTest, WatchdogFindsASilentlyDisabledTapWithinASecond) {
  start();
  sim_->events().deliver(native(EventType::leftMouseDown));
  advanceTo(now() + 0.3);
  sim_->events().disableTapSilently(port());
  advanceTo(now() + 1.0);
  EXPECT_TRUE(port().isEnabled());
  EXPECT_FALSE(tap_->isButtonDown());
  EXPECT_EQ(messages("ButtonStateTap"),
            std::vector<std::string>{"button-state tap disabled (watchdog found it disabled) — "
                                     "re-enabled, isButtonDown reset to false"});
  advanceTo(now() + 5.0);
  EXPECT_EQ(messages("ButtonStateTap").size(), 1u) << "a healthy tap is left alone";
}

TEST_F(ButtonStateTapTest, RefusedTapIsLoggedOnceAndTheButtonReadsUp) {
  sim_->events().setTapCreationFails(true);
  start();
  tap_->start();
  advanceTo(now() + 5.0);
  EXPECT_EQ(messages("ButtonStateTap"),
            std::vector<std::string>{"failed to create button-state CGEventTap — likely missing "
                                     "Accessibility/Input Monitoring"});
  EXPECT_EQ(sim_->dispatch().startedThreadNames(),
            std::vector<std::string>{"com.vellumworks.Tactora.ButtonStateTap"});
  EXPECT_FALSE(tap_->isButtonDown());
}

class ScrollSuppressionTapTest : public SimInputTest {
 protected:
  void start() {
    tap_->start();
    sim_->timeline().runDue();
  }
  platform::EventTap& port() { return *sim_->events().taps().at(0); }
  bool passes(const Event& event) { return sim_->events().deliver(event).has_value(); }
  std::shared_ptr<ScrollSuppressionTap> tap_ = ScrollSuppressionTap::create();
};

TEST_F(ScrollSuppressionTapTest, TapIsOffWhileNothingIsSuppressed) {
  start();
  EXPECT_EQ(port().parameters().options, platform::EventTapOptions::defaultTap);
  EXPECT_FALSE(port().isEnabled());
  EXPECT_TRUE(passes(scroll(3, 0)));
  tap_->setMode(Mode::all);
  EXPECT_TRUE(port().isEnabled());
  tap_->setMode(Mode::none);
  EXPECT_FALSE(port().isEnabled());
}

TEST_F(ScrollSuppressionTapTest, ModeSetBeforeTheTapExistsIsAppliedWhenItIsCreated) {
  tap_->setMode(Mode::horizontalOnly);
  start();
  EXPECT_TRUE(port().isEnabled());
  EXPECT_FALSE(passes(scroll(0, 2)));
}

TEST_F(ScrollSuppressionTapTest, ModesDecideWhichNativeScrollsPassAndOurOwnAlwaysPass) {
  start();
  tap_->setMode(Mode::all);
  EXPECT_FALSE(passes(scroll(3, 0)));
  EXPECT_FALSE(passes(scroll(0, 0)));
  EXPECT_TRUE(passes(synthetic(scroll(3, 1))));
  EXPECT_TRUE(passes(native(EventType::leftMouseDown))) << "only scroll events are filtered";

  tap_->setMode(Mode::horizontalOnly);
  EXPECT_TRUE(passes(scroll(3, 1)));
  EXPECT_TRUE(passes(scroll(-2, 2)));
  EXPECT_TRUE(passes(scroll(0, 0)));
  EXPECT_FALSE(passes(scroll(0, 2)));
  EXPECT_FALSE(passes(scroll(1, -3)));
  EXPECT_TRUE(passes(synthetic(scroll(0, 5))));

  Event extreme = scroll(0, 0);
  extreme.setIntegerValueField(platform::EventField::scrollWheelEventDeltaAxis1, INT64_MIN);
  extreme.setIntegerValueField(platform::EventField::scrollWheelEventDeltaAxis2, INT64_MAX);
  EXPECT_TRUE(passes(extreme));
}

TEST_F(ScrollSuppressionTapTest, DisabledWhileSuppressingResetsToNoneUntilTheNextMode) {
  start();
  tap_->setMode(Mode::all);
  sim_->events().disableTap(port(), EventType::tapDisabledByTimeout);
  EXPECT_EQ(tap_->mode(), Mode::none);
  EXPECT_FALSE(port().isEnabled());
  EXPECT_EQ(
      messages("ScrollSuppressionTap"),
      std::vector<std::string>{"scroll-suppression tap disabled (timeout) — mode reset to none"});
  EXPECT_TRUE(passes(scroll(0, 3)));

  tap_->setMode(Mode::all);
  EXPECT_TRUE(port().isEnabled());
  EXPECT_FALSE(passes(scroll(0, 3)));

  sim_->events().disableTapSilently(port());
  advanceTo(now() + 1.0);
  EXPECT_EQ(tap_->mode(), Mode::none);
  EXPECT_EQ(messages("ScrollSuppressionTap").back(),
            "scroll-suppression tap disabled (watchdog found it disabled) — mode reset to none");
}

TEST_F(ScrollSuppressionTapTest, DisabledNoticeWhileIdleIsQuiet) {
  start();
  sim_->events().disableTap(port(), EventType::tapDisabledByUserInput);
  advanceTo(now() + 3.0);
  EXPECT_TRUE(messages("ScrollSuppressionTap").empty());
  tap_->setMode(Mode::all);
  EXPECT_TRUE(port().isEnabled());
}

TEST_F(ScrollSuppressionTapTest, RefusedTapOnlyStoresTheMode) {
  sim_->events().setTapCreationFails(true);
  start();
  EXPECT_EQ(messages("ScrollSuppressionTap"),
            std::vector<std::string>{
                "failed to create scroll-suppression CGEventTap — likely missing Accessibility"});
  tap_->setMode(Mode::all);
  EXPECT_EQ(tap_->mode(), Mode::all);
  EXPECT_TRUE(passes(scroll(0, 3)));
}

}  // namespace
}  // namespace tactora::testing
