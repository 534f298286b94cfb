// The application on the simulated platform: launch and termination, and how each gesture is
// routed to its binding and what the routing leaves held.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>

#include "ActionKit/AppSwitcher.h"
#include "ActionKit/SimActionFixture.h"
#include "ActionKit/SyntheticDrag.h"
#include "ActionKit/SyntheticScroll.h"
#include "Platform/EventField.h"
#include "Platform/EventFlags.h"
#include "Platform/Log.h"
#include "Platform/sim/SimPlatform.h"
#include "Platform/sim/provider/SimMultitouch.h"
#include "Tactora/AppDelegate.h"
#include "Tactora/config/Configuration.h"
#include "Tactora/config/TemporaryDirectory.h"
#include "Tactora/input/InputPipeline.h"
#include "Tactora/input/MTBridge.h"
#include "support/CapturingLogSink.h"
#include "support/SourceTree.h"

namespace tactora {
namespace {

using platform::EventField;
using Lines = std::vector<std::string>;

// Records every overlay the application shows.
struct RecordingOverlay : GestureOverlayPresenting {
  void show(const GestureEvent&, const Action& action) override { shown.push_back(action); }
  std::vector<Action> shown;
};

// A fresh simulated platform with no device yet, a capturing log and an application whose
// configuration lives in a private temporary directory.
class AppDelegateTest : public ::testing::Test {
 protected:
  void SetUp() override {
    sim = sim::SimPlatform::install(100.0);
    sim->events().setPointer({500, 300});
    previousSink = platform::Log::setSink(log);
    // The pipeline opens the simulated provider, never a real device.
    testing::locateSimProvider();
    MTBridgeSetProviderPath(sim::SimMultitouch::defaultPath().c_str());
    multitouch = sim::SimMultitouch::bind(sim::SimMultitouch::defaultPath());
    ASSERT_TRUE(multitouch.has_value());
    multitouch->reset();
  }

  void TearDown() override {
    app.reset();
    // The provider's devices outlive a test unless dropped, and the leak checker would report them.
    if (multitouch) {
      multitouch->reset();
    }
    platform::Log::setSink(previousSink);
  }

  // Creates the application with `configuration` stored on disk (defaults when none), launches
  // it and runs what launch scheduled.
  void launch(std::optional<Configuration> configuration = std::nullopt) {
    if (configuration) {
      std::ofstream(configHome.path() / "config.json") << encodeConfiguration(*configuration);
    }
    AppDelegate::Options options;
    options.configDirectory = configHome.path();
    options.makeOverlay = [this] { return overlay = std::make_shared<RecordingOverlay>(); };
    app = AppDelegate::create(*sim, std::move(options));
    app->applicationDidFinishLaunching();
    sim->timeline().runDue();
  }

  // The events posted since the last call, one line each.
  Lines effects() {
    Lines lines;
    for (const auto& post : sim->events().posted()) {
      lines.push_back(testing::describe(post.event));
    }
    sim->events().clearRecords();
    return lines;
  }

  std::shared_ptr<sim::SimPlatform> sim;
  std::shared_ptr<platform::CapturingLogSink> log = std::make_shared<platform::CapturingLogSink>();
  std::shared_ptr<platform::LogSink> previousSink;
  TemporaryDirectory configHome{"tactora-app"};
  std::shared_ptr<AppDelegate> app;
  std::shared_ptr<RecordingOverlay> overlay;
  std::optional<sim::SimMultitouch> multitouch;
};

GestureBinding bind(GestureEvent gesture, Action::Case action, ModifierSet modifiers = {}) {
  return GestureBinding{Trigger{gesture, modifiers}, Action(action)};
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
  Configuration configuration = defaultConfiguration();
  for (Profile& profile : configuration.profiles) {
    if (profile.isAllApps()) {
      profile.bindings.insert(
          profile.bindings.begin(),
          {bind(GestureEvent::tap(3), Action::Case::showDesktop, ModifierSet::shift()),
           bind(GestureEvent::tap(3), Action::Case::missionControl),
           bind(GestureEvent::doubleTap(2), Action::Case::doubleClick)});
    }
  }
  configuration.profiles.push_back(
      Profile{"com.example.editor", {bind(GestureEvent::tap(1), Action::Case::none)}});
  launch(configuration);
  sim->workspace().setFrontmostApplication("com.example.editor");
  log->clear();
  app->handleGesture(GestureEvent::tap(1));
  sim->workspace().setFrontmostApplication("com.example.browser");
  app->handleGesture(GestureEvent::tap(1));
  app->handleGesture(GestureEvent::doubleTap(2));
  sim->timeline().runDue();
  EXPECT_EQ(overlay, nullptr);
  sim->events().setHeldModifiers(platform::eventFlags::maskShift);
  app->handleGesture(GestureEvent::tap(3));
  sim->events().setHeldModifiers(0);
  app->handleGesture(GestureEvent::tap(3));
  EXPECT_EQ(overlay, nullptr) << "the overlay waits for the main queue";
  sim->timeline().runDue();
  ASSERT_NE(overlay, nullptr);
  EXPECT_EQ(overlay->shown,
            (std::vector{Action(Action::Case::showDesktop), Action(Action::Case::missionControl)}));
  EXPECT_EQ(log->messages("AppDelegate"),
            (Lines{"gesture tap(fingers: 1) -> none", "gesture tap(fingers: 1) -> leftClick",
                   "gesture doubleTap(fingers: 2) -> doubleClick",
                   "gesture tap(fingers: 3) -> showDesktop",
                   "gesture tap(fingers: 3) -> missionControl"}));
  Configuration quiet = *app->configStore().current();
  quiet.tuning.showGestureHUD = false;
  app->configStore().save(quiet);
  app->handleGesture(GestureEvent::tap(3));
  sim->timeline().runDue();
  EXPECT_EQ(overlay->shown.size(), 2u);
}

TEST_F(AppDelegateTest, DragScrollScalesInvertsAndNudgesTheHeldDrag) {
  Configuration configuration = defaultConfiguration();
  configuration.tuning.dragScrollSensitivity = 1.0f;
  configuration.tuning.dragAutoscrollNudgeEnabled = false;
  launch(configuration);
  app->handleGesture(GestureEvent::dragScrollMoved(0, 2));
  EXPECT_EQ(effects(), (Lines{"scrollWheel vertical -2 horizontal 0 marked"}));
  configuration.tuning.dragScrollInverted = true;
  configuration.tuning.dragAutoscrollNudgeEnabled = true;
  app->configStore().save(configuration);
  app->handleGesture(GestureEvent::dragBegan(100, 200));
  app->handleGesture(GestureEvent::dragScrollMoved(10, 0));
  // The nudge is taken in single precision, like the scroll amount it is a share of, and only
  // then widened: 0.15 x -3 is -0.45000002 as a float, not the double nearest -0.45.
  app->handleGesture(GestureEvent::dragScrollMoved(0, -3));
  ASSERT_EQ(sim->events().posted().size(), 5u);
  EXPECT_EQ(sim->events().posted()[4].event.location().y,
            200.0 + static_cast<double>(0.15f * -3.0f));
  EXPECT_EQ(effects(),
            (Lines{"leftMouseDown (100, 200) button 0 click 1 delta (0, 0) marked",
                   "scrollWheel vertical 0 horizontal 10 marked",
                   "leftMouseDragged (101.5, 200) button 0 click 1 delta (2, 0) marked",
                   "scrollWheel vertical -3 horizontal 0 marked",
                   "leftMouseDragged (101.5, 199.55) button 0 click 1 delta (0, 0) marked"}));
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
  launch();
  app->addRoutingObserver(recorder);
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

using AppDelegateConcurrency = AppDelegateTest;

// Gestures are routed on the frame thread while the main thread flips the enabled switch, saves
// configurations and runs the main queue (the overlay). Nothing may race, and once the switch is
// off for good no synthetic button is left held.
TEST_F(AppDelegateConcurrency, RoutingRacesTheSwitchAndConfigurationSaves) {
  launch();
  // Neither thread stops before the other has done a minimum of rounds, so the routing and the
  // main thread's changes overlap whatever the scheduler does.
  std::atomic<int> mainRounds{0};
  std::atomic<bool> done{false};
  std::thread frames([&] {
    for (int i = 0; i < 300 || mainRounds.load() < 20; ++i) {
      for (const GestureEvent& event : {GestureEvent::dragBegan(10, 10), GestureEvent::dragMoved(),
                                        GestureEvent::dragScrollMoved(0.5f, 1.0f),
                                        GestureEvent::tap(3), GestureEvent::dragEnded()}) {
        app->handleGesture(event);
      }
    }
    done = true;
  });
  for (bool enabled = true; mainRounds.load() < 20 || !done; ++mainRounds) {
    enabled = !enabled;
    app->setEnabled(enabled);
    Configuration configuration = *app->configStore().current();
    configuration.tuning.dragScrollSensitivity = enabled ? 10.0f : 20.0f;
    app->configStore().save(configuration);
    sim->timeline().runDue();
  }
  frames.join();
  app->setEnabled(false);
  sim->timeline().runDue();
  EXPECT_FALSE(SyntheticDrag::shared().isDragging());
}

}  // namespace
}  // namespace tactora
