#include <gtest/gtest.h>

#include "ActionKit/AppSwitcher.h"
#include "ActionKit/SyntheticDrag.h"
#include "ActionKit/SyntheticScroll.h"
#include "Platform/EventField.h"
#include "Platform/EventFlags.h"
#include "Tactora/app/AppFixture.h"

namespace tactora {
namespace {

using platform::EventField;
using platform::EventType;

class GestureRouting : public testing::AppFixture {};

GestureBinding bind(GestureEvent gesture, Action action, ModifierSet modifiers = {}) {
  return GestureBinding{Trigger{gesture, modifiers}, std::move(action)};
}

// The binding is chosen at the moment of the gesture, by the front application and the held
// modifiers: `none` in an application's profile switches the gesture off there only.
TEST_F(GestureRouting, TheFrontApplicationAndHeldModifiersChooseTheBinding) {
  Configuration configuration = withAllAppsBindings(
      {bind(GestureEvent::tap(3), Action(Action::Case::showDesktop), ModifierSet::shift()),
       bind(GestureEvent::tap(3), Action(Action::Case::missionControl))});
  configuration.profiles.push_back(
      Profile{"com.example.editor", {bind(GestureEvent::tap(1), Action(Action::Case::none))}});
  launch(configuration);
  sim->workspace().setFrontmostApplication("com.example.editor");
  log->clear();
  app->handleGesture(GestureEvent::tap(1));
  sim->timeline().runDue();
  EXPECT_TRUE(posted().empty());
  EXPECT_EQ(overlay, nullptr);
  sim->workspace().setFrontmostApplication("com.example.browser");
  app->handleGesture(GestureEvent::tap(1));
  ASSERT_EQ(posted().size(), 2u);
  EXPECT_EQ(posted()[0].event.type(), EventType::leftMouseDown);

  sim->events().setHeldModifiers(platform::eventFlags::maskShift);
  app->handleGesture(GestureEvent::tap(3));
  sim->events().setHeldModifiers(0);
  app->handleGesture(GestureEvent::tap(3));
  EXPECT_EQ(sim->systemBridges().dockNotifications(),
            (std::vector<std::string>{"com.apple.showdesktop.awake", "com.apple.expose.awake"}));
  EXPECT_EQ(
      log->messages("AppDelegate"),
      (std::vector<std::string>{
          "gesture tap(fingers: 1) -> none", "gesture tap(fingers: 1) -> leftClick",
          "gesture tap(fingers: 3) -> showDesktop", "gesture tap(fingers: 3) -> missionControl"}));
}

TEST_F(GestureRouting, ClicksNeverReachTheOverlayOtherActionsDoAfterTheyRan) {
  launch(withAllAppsBindings({bind(GestureEvent::doubleTap(2), Action(Action::Case::doubleClick)),
                              bind(GestureEvent::tap(3), Action(Action::Case::missionControl))}));
  app->handleGesture(GestureEvent::doubleTap(2));
  sim->timeline().runDue();
  ASSERT_EQ(posted().size(), 2u);
  for (const auto& post : posted()) {
    EXPECT_EQ(post.event.integerValueField(EventField::mouseEventClickState), 2);
  }
  EXPECT_EQ(overlay, nullptr);

  app->handleGesture(GestureEvent::tap(3));
  // The action has run; the overlay waits for the main queue.
  EXPECT_EQ(sim->systemBridges().dockNotifications().size(), 1u);
  EXPECT_EQ(overlay, nullptr);
  sim->timeline().runDue();
  ASSERT_NE(overlay, nullptr);
  ASSERT_EQ(overlay->shown.size(), 1u);
  EXPECT_EQ(overlay->shown[0].event, GestureEvent::tap(3));
  EXPECT_EQ(overlay->shown[0].action, Action(Action::Case::missionControl));

  // A saved tuning reaches the application at once: no more overlays, the switcher's new hold.
  EXPECT_DOUBLE_EQ(AppSwitcher::shared().holdSeconds(), 0.6);
  Configuration quiet = *app->configStore().current();
  quiet.tuning.showGestureHUD = false;
  quiet.tuning.appSwitcherHoldSeconds = 1.5;
  app->configStore().save(quiet);
  app->handleGesture(GestureEvent::tap(3));
  sim->timeline().runDue();
  EXPECT_EQ(overlay->shown.size(), 1u);
  EXPECT_DOUBLE_EQ(AppSwitcher::shared().holdSeconds(), 1.5);
}

TEST_F(GestureRouting, DragScrollScalesInvertsAndNudgesTheHeldDrag) {
  Configuration configuration = defaultConfiguration();
  configuration.tuning.dragScrollSensitivity = 1.0f;
  configuration.tuning.dragAutoscrollNudgeEnabled = false;
  launch(configuration);

  app->handleGesture(GestureEvent::dragScrollMoved(0, 2));
  ASSERT_EQ(posted().size(), 1u);
  EXPECT_EQ(posted()[0].event.type(), EventType::scrollWheel);
  EXPECT_EQ(posted()[0].event.integerValueField(EventField::scrollWheelEventDeltaAxis1), -2);
  EXPECT_EQ(posted()[0].event.integerValueField(EventField::scrollWheelEventDeltaAxis2), 0);

  configuration.tuning.dragScrollInverted = true;
  configuration.tuning.dragAutoscrollNudgeEnabled = true;
  app->configStore().save(configuration);
  sim->events().clearRecords();
  app->handleGesture(GestureEvent::dragBegan(100, 200));
  app->handleGesture(GestureEvent::dragScrollMoved(10, 0));
  auto events = posted();
  ASSERT_EQ(events.size(), 3u);
  EXPECT_EQ(events[1].event.integerValueField(EventField::scrollWheelEventDeltaAxis2), 10);
  EXPECT_EQ(events[2].event.type(), EventType::leftMouseDragged);
  EXPECT_DOUBLE_EQ(events[2].event.location().x, 101.5);
  EXPECT_DOUBLE_EQ(events[2].event.location().y, 200.0);

  // The nudge is taken in single precision, like the scroll amount it is a share of, and only
  // then widened: 0.15 x -3 is -0.45000002 as a float, not the double nearest -0.45.
  app->handleGesture(GestureEvent::dragScrollMoved(0, -3));
  events = posted();
  ASSERT_EQ(events.size(), 5u);
  EXPECT_EQ(events[3].event.integerValueField(EventField::scrollWheelEventDeltaAxis1), -3);
  EXPECT_DOUBLE_EQ(events[4].event.location().y, 200.0 + static_cast<double>(0.15f * -3.0f));
  EXPECT_NE(events[4].event.location().y, 200.0 - 0.45);
}

TEST_F(GestureRouting, SwitchingOffReleasesTheDragMomentumAndCommandAtOnce) {
  launch();
  app->handleGesture(GestureEvent::dragBegan(500, 300));
  app->handleGesture(GestureEvent::dragScrollEnded(0, 50));
  AppSwitcher::shared().cycle(true);
  sim->events().clearRecords();

  app->setEnabled(false);
  EXPECT_FALSE(SyntheticDrag::shared().isDragging());
  EXPECT_FALSE(SyntheticScroll::shared().isMomentumRunning());
  EXPECT_FALSE(AppSwitcher::shared().isHolding());
  auto events = posted();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].event.type(), EventType::leftMouseUp);
  EXPECT_EQ(events[1].event.type(), EventType::flagsChanged);  // Command let go
  EXPECT_FALSE(app->configStore().current()->enabled);

  // Later drag events of the same touch are dropped.
  app->handleGesture(GestureEvent::dragMoved());
  app->handleGesture(GestureEvent::dragEnded());
  sim->timeline().advanceBy(1.0);
  EXPECT_EQ(posted().size(), 2u);
}

// Observers see each event and then exactly the routing line the application logs for it, so the
// replay and monitor print what the log says without reading the log.
TEST_F(GestureRouting, ObserversSeeEachEventAndTheDecisionItsLogLineNames) {
  struct Recorder : RoutingObserver {
    void gestureReceived(const GestureEvent& event) override {
      lines.push_back("event " + event.description());
    }
    void gestureRouted(const RoutingDecision& decision) override {
      lines.push_back(decision.description());
    }
    std::vector<std::string> lines;
  };
  auto recorder = std::make_shared<Recorder>();
  AppDelegate::Options options;
  options.configDirectory = configDir;
  app = AppDelegate::create(*sim, std::move(options));
  app->addRoutingObserver(recorder);
  app->applicationDidFinishLaunching();
  log->clear();

  app->handleGesture(GestureEvent::swipe(2, Direction::left));
  app->handleGesture(GestureEvent::tap(4));
  app->handleGesture(GestureEvent::dragBegan(10, 20));
  app->handleGesture(GestureEvent::dragMoved());
  app->handleGesture(GestureEvent::dragEnded());
  app->setEnabled(false);
  app->handleGesture(GestureEvent::tap(1));
  app->handleGesture(GestureEvent::dragBegan(10, 20));

  std::vector<std::string> routed;
  for (const std::string& line : recorder->lines) {
    if (line.rfind("event ", 0) != 0) {
      routed.push_back(line);
    }
  }
  EXPECT_EQ(routed, log->messages("AppDelegate"));
  EXPECT_EQ(
      recorder->lines,
      (std::vector<std::string>{
          "event swipe(fingers: 2, direction: left)",
          "gesture swipe(fingers: 2, direction: left) -> spaceLeft", "event tap(fingers: 4)",
          "gesture tap(fingers: 4) — no binding", "event dragBegan(startX: 10.0, startY: 20.0)",
          "gesture dragBegan", "event dragMoved", "event dragEnded", "gesture dragEnded",
          "event tap(fingers: 1)", "gesture tap(fingers: 1) ignored — app disabled",
          "event dragBegan(startX: 10.0, startY: 20.0)",
          "gesture dragBegan(startX: 10.0, startY: 20.0) ignored — app disabled"}));
}

}  // namespace
}  // namespace tactora
