// The application on the simulated platform: launch and termination, and how each gesture is
// routed to its binding and what the routing leaves held.
#include <gtest/gtest.h>

#include <atomic>
#include <latch>
#include <thread>

#include "ActionKit/AppSwitcher.h"
#include "ActionKit/SimActionFixture.h"
#include "ActionKit/SyntheticDrag.h"
#include "ActionKit/SyntheticScroll.h"
#include "Platform/EventField.h"
#include "Platform/EventFlags.h"
#include "Tactora/app/AppFixture.h"
#include "Tactora/input/InputPipeline.h"

namespace tactora {
namespace {

using platform::EventField;
using Lines = std::vector<std::string>;

class AppDelegateTest : public testing::AppFixture {
 protected:
  // The events posted since the last call, one line each.
  Lines effects() {
    Lines lines;
    for (const auto& post : posted()) {
      lines.push_back(testing::describe(post.event));
    }
    sim->events().clearRecords();
    return lines;
  }
};

GestureBinding bind(GestureEvent gesture, Action action, ModifierSet modifiers = {}) {
  return GestureBinding{Trigger{gesture, modifiers}, std::move(action)};
}

// The start-up line names the grants; launched disabled, no device is opened until switched on,
// and switching off again leaves the pipeline running (the router drops the gestures).
TEST_F(AppDelegateTest, LaunchStartsThePipelineOnTheExternalDeviceOnlyWhenEnabled) {
  const std::int32_t device = multitouch->addDevice(false);
  sim->workspace().setMainBundle({"/opt/tactora", std::nullopt, "", std::nullopt, std::nullopt});
  sim->permissions().setInputMonitoringAccess(7);
  launch();
  EXPECT_TRUE(app->inputPipeline()->isStarted() && multitouch->isStarted(device));
  EXPECT_TRUE(app->holdsAppNapActivity());
  EXPECT_TRUE(log->contains(
      "startup: program=/opt/tactora accessibility=granted inputMonitoring=notDetermined"));
  app.reset();
  multitouch->reset();
  const std::int32_t later = multitouch->addDevice(false);
  Configuration disabled = defaultConfiguration();
  disabled.enabled = false;
  launch(disabled);
  EXPECT_FALSE(app->inputPipeline()->isStarted() || multitouch->isRegistered(later));
  app->setEnabled(true);
  EXPECT_TRUE(app->configStore().current()->enabled);
  EXPECT_TRUE(multitouch->isStarted(later));
  app->setEnabled(false);
  EXPECT_TRUE(app->inputPipeline()->isStarted());
}

// Termination stops input, then lets Command go, then the drag, and ends the momentum; switching
// off lets the drag and Command go at once and drops later drag events of the same touch.
TEST_F(AppDelegateTest, TerminationAndSwitchingOffLeaveNothingHeld) {
  const std::int32_t device = multitouch->addDevice(false);
  launch();
  const auto holdEverything = [this] {
    app->handleGesture(GestureEvent::dragBegan(500, 300));
    app->handleGesture(GestureEvent::dragScrollEnded(0, 50));
    AppSwitcher::shared().cycle(false);
    effects();
  };
  holdEverything();
  app->setEnabled(false);
  EXPECT_EQ(effects(), (Lines{"leftMouseUp (500, 300) button 0 click 1 delta (0, 0) marked",
                              "flagsChanged 55 flags 0x0"}));
  EXPECT_FALSE(SyntheticScroll::shared().isMomentumRunning() || AppSwitcher::shared().isHolding());
  app->handleGesture(GestureEvent::dragMoved());
  app->handleGesture(GestureEvent::dragEnded());
  app->setEnabled(true);
  holdEverything();
  app->applicationWillTerminate();
  EXPECT_FALSE(app->inputPipeline()->isStarted() || multitouch->isRegistered(device));
  EXPECT_EQ(effects(), (Lines{"flagsChanged 55 flags 0x0",
                              "leftMouseUp (500, 300) button 0 click 1 delta (0, 0) marked"}));
  EXPECT_FALSE(SyntheticScroll::shared().isMomentumRunning());
  sim->timeline().advanceBy(7.0);
  EXPECT_EQ(effects(), Lines{});
  // A callback finding the application gone does nothing.
  launch();
  app->handleGesture(GestureEvent::tap(3));  // overlay scheduled, holding the app weakly
  app.reset();
  sim->timeline().runDue();
  EXPECT_EQ(overlay, nullptr);
}

// The binding is chosen at the moment of the gesture, by the front application and the held
// modifiers: `none` in an application's profile switches the gesture off there only. Clicks never
// reach the overlay; other actions do, after they ran. A saved tuning reaches the application at
// once.
TEST_F(AppDelegateTest, TheFrontApplicationAndHeldModifiersChooseTheBinding) {
  Configuration configuration = withAllAppsBindings(
      {bind(GestureEvent::tap(3), Action(Action::Case::showDesktop), ModifierSet::shift()),
       bind(GestureEvent::tap(3), Action(Action::Case::missionControl)),
       bind(GestureEvent::doubleTap(2), Action(Action::Case::doubleClick))});
  configuration.profiles.push_back(
      Profile{"com.example.editor", {bind(GestureEvent::tap(1), Action(Action::Case::none))}});
  launch(configuration);
  sim->workspace().setFrontmostApplication("com.example.editor");
  log->clear();
  app->handleGesture(GestureEvent::tap(1));
  sim->workspace().setFrontmostApplication("com.example.browser");
  app->handleGesture(GestureEvent::tap(1));
  app->handleGesture(GestureEvent::doubleTap(2));
  sim->timeline().runDue();
  EXPECT_EQ(overlay, nullptr);
  EXPECT_EQ(effects(), (Lines{"leftMouseDown (500, 300) button 0 click 1 delta (0, 0) marked",
                              "leftMouseUp (500, 300) button 0 click 1 delta (0, 0) marked",
                              "leftMouseDown (500, 300) button 0 click 2 delta (0, 0) marked",
                              "leftMouseUp (500, 300) button 0 click 2 delta (0, 0) marked"}));
  sim->events().setHeldModifiers(platform::eventFlags::maskShift);
  app->handleGesture(GestureEvent::tap(3));
  sim->events().setHeldModifiers(0);
  app->handleGesture(GestureEvent::tap(3));
  EXPECT_EQ(sim->systemBridges().dockNotifications(),
            (Lines{"com.apple.showdesktop.awake", "com.apple.expose.awake"}));
  EXPECT_EQ(overlay, nullptr) << "the overlay waits for the main queue";
  sim->timeline().runDue();
  ASSERT_NE(overlay, nullptr);
  ASSERT_EQ(overlay->shown.size(), 2u);
  EXPECT_EQ(overlay->shown[1].action, Action(Action::Case::missionControl));
  EXPECT_EQ(log->messages("AppDelegate"),
            (Lines{"gesture tap(fingers: 1) -> none", "gesture tap(fingers: 1) -> leftClick",
                   "gesture doubleTap(fingers: 2) -> doubleClick",
                   "gesture tap(fingers: 3) -> showDesktop",
                   "gesture tap(fingers: 3) -> missionControl"}));
  Configuration quiet = *app->configStore().current();
  quiet.tuning.showGestureHUD = false;
  quiet.tuning.appSwitcherHoldSeconds = 1.5;
  app->configStore().save(quiet);
  app->handleGesture(GestureEvent::tap(3));
  sim->timeline().runDue();
  EXPECT_EQ(overlay->shown.size(), 2u);
  EXPECT_DOUBLE_EQ(AppSwitcher::shared().holdSeconds(), 1.5);
}

TEST_F(AppDelegateTest, DragScrollScalesInvertsAndNudgesTheHeldDrag) {
  Configuration configuration = defaultConfiguration();
  configuration.tuning.dragScrollSensitivity = 1.0f;
  configuration.tuning.dragAutoscrollNudgeEnabled = false;
  launch(configuration);
  const auto scrolled = [this](std::size_t index) {
    const auto events = posted();
    const auto& event = events.at(index).event;
    return std::pair{event.integerValueField(EventField::scrollWheelEventDeltaAxis1),
                     event.integerValueField(EventField::scrollWheelEventDeltaAxis2)};
  };
  app->handleGesture(GestureEvent::dragScrollMoved(0, 2));
  EXPECT_EQ(posted().size(), 1u);
  EXPECT_EQ(scrolled(0), (std::pair<std::int64_t, std::int64_t>{-2, 0}));
  configuration.tuning.dragScrollInverted = true;
  configuration.tuning.dragAutoscrollNudgeEnabled = true;
  app->configStore().save(configuration);
  sim->events().clearRecords();
  app->handleGesture(GestureEvent::dragBegan(100, 200));
  app->handleGesture(GestureEvent::dragScrollMoved(10, 0));
  // The nudge is taken in single precision, like the scroll amount it is a share of, and only
  // then widened: 0.15 x -3 is -0.45000002 as a float, not the double nearest -0.45.
  app->handleGesture(GestureEvent::dragScrollMoved(0, -3));
  ASSERT_EQ(posted().size(), 5u);
  EXPECT_EQ(scrolled(1), (std::pair<std::int64_t, std::int64_t>{0, 10}));
  EXPECT_EQ(scrolled(3), (std::pair<std::int64_t, std::int64_t>{-3, 0}));
  const auto nudge = posted()[2].event.location();
  EXPECT_EQ(posted()[2].event.type(), platform::EventType::leftMouseDragged);
  EXPECT_EQ(std::pair(nudge.x, nudge.y), std::pair(101.5, 200.0));
  EXPECT_EQ(posted()[4].event.location().y, 200.0 + static_cast<double>(0.15f * -3.0f));
}

// Observers see each event and then exactly the routing line the application logs for it, so the
// replay and monitor print what the log says without reading the log.
TEST_F(AppDelegateTest, ObserversSeeEachEventAndTheDecisionItsLogLineNames) {
  struct Recorder : RoutingObserver {
    void gestureReceived(const GestureEvent& event) override {
      lines.push_back("event " + event.description());
    }
    void gestureRouted(const RoutingDecision& decision) override {
      lines.push_back(decision.description());
      routed.push_back(decision.description());
    }
    Lines lines;
    Lines routed;
  };
  auto recorder = std::make_shared<Recorder>();
  AppDelegate::Options options;
  options.configDirectory = configDir;
  app = AppDelegate::create(*sim, std::move(options));
  app->addRoutingObserver(recorder);
  app->applicationDidFinishLaunching();
  log->clear();
  for (const GestureEvent& event :
       {GestureEvent::tap(4), GestureEvent::dragBegan(10, 20), GestureEvent::dragMoved(),
        GestureEvent::dragEnded(), GestureEvent::tap(1)}) {
    app->handleGesture(event);
    app->setEnabled(event != GestureEvent::dragEnded());
  }
  EXPECT_EQ(recorder->routed, log->messages("AppDelegate"));
  EXPECT_EQ(recorder->lines,
            (Lines{"event tap(fingers: 4)", "gesture tap(fingers: 4) — no binding",
                   "event dragBegan(startX: 10.0, startY: 20.0)", "gesture dragBegan",
                   "event dragMoved", "event dragEnded", "gesture dragEnded",
                   "event tap(fingers: 1)", "gesture tap(fingers: 1) ignored — app disabled"}));
}

using AppDelegateConcurrency = testing::AppFixture;

// Gestures are routed on the frame thread while the main thread flips the enabled switch, saves
// configurations and runs the main queue (the overlay). Nothing may race, and once the switch is
// off for good no synthetic button is left held.
TEST_F(AppDelegateConcurrency, RoutingRacesTheSwitchAndConfigurationSaves) {
  launch();
  // The threads start together and neither stops before the other has done a minimum of rounds,
  // so the routing and the main thread's changes overlap whatever the scheduler does.
  constexpr int minFrameRounds = 300;
  constexpr int minMainRounds = 20;
  std::latch start{2};
  std::atomic<int> mainRounds{0};
  std::atomic<bool> done{false};
  std::thread frames([&] {
    start.arrive_and_wait();
    for (int i = 0; i < minFrameRounds || mainRounds.load() < minMainRounds; ++i) {
      app->handleGesture(GestureEvent::dragBegan(10, 10));
      app->handleGesture(GestureEvent::dragMoved());
      app->handleGesture(GestureEvent::dragScrollMoved(0.5f, 1.0f));
      app->handleGesture(GestureEvent::tap(3));
      app->handleGesture(GestureEvent::dragEnded());
    }
    done = true;
  });
  start.arrive_and_wait();
  bool enabled = true;
  for (int round = 0; round < minMainRounds || !done; ++round) {
    enabled = !enabled;
    app->setEnabled(enabled);
    Configuration configuration = *app->configStore().current();
    configuration.tuning.dragScrollSensitivity = enabled ? 10.0f : 20.0f;
    app->configStore().save(configuration);
    sim->timeline().runDue();
    ++mainRounds;
  }
  frames.join();
  app->setEnabled(false);
  sim->timeline().runDue();
  EXPECT_FALSE(SyntheticDrag::shared().isDragging());
}

}  // namespace
}  // namespace tactora
