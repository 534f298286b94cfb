#include <gtest/gtest.h>

#include "ActionKit/AppSwitcher.h"
#include "ActionKit/SyntheticDrag.h"
#include "ActionKit/SyntheticScroll.h"
#include "Platform/EventField.h"
#include "Tactora/app/AppFixture.h"
#include "Tactora/input/InputPipeline.h"

namespace tactora {
namespace {

using platform::EventType;

class Lifecycle : public testing::AppFixture {};

TEST_F(Lifecycle, LaunchStartsThePipelineOnTheExternalDeviceAndLogsTheStartupLine) {
  const std::int32_t device = multitouch->addDevice(false);
  sim->workspace().setMainBundle({"/opt/tactora", std::nullopt, "", std::nullopt, std::nullopt});
  launch();
  ASSERT_NE(app->inputPipeline(), nullptr);
  EXPECT_TRUE(app->inputPipeline()->isStarted());
  EXPECT_TRUE(multitouch->isStarted(device));
  EXPECT_TRUE(app->holdsAppNapActivity());
  ASSERT_EQ(sim->workspace().activities().size(), 1u);
  EXPECT_EQ(sim->workspace().activities()[0].options, 0xEFFFFFu);
  EXPECT_EQ(sim->workspace().activities()[0].reason,
            "Continuously monitors Magic Mouse gestures in the background");
  EXPECT_TRUE(
      log->contains("startup: program=/opt/tactora accessibility=granted inputMonitoring=granted"));

  // The line names missing grants.
  app.reset();
  sim->permissions().setAccessibilityTrusted(false);
  sim->permissions().setInputMonitoringAccess(7);
  launch();
  EXPECT_TRUE(log->contains(
      "startup: program=/opt/tactora accessibility=denied inputMonitoring=notDetermined"));
}

TEST_F(Lifecycle, LaunchedDisabledOpensNoDeviceUntilSwitchedOn) {
  const std::int32_t device = multitouch->addDevice(false);
  Configuration disabled = defaultConfiguration();
  disabled.enabled = false;
  launch(disabled);
  EXPECT_FALSE(app->inputPipeline()->isStarted());
  EXPECT_FALSE(multitouch->isRegistered(device));
  EXPECT_TRUE(log->messages("InputPipeline").empty());

  app->setEnabled(true);
  EXPECT_TRUE(app->configStore().current()->enabled);
  EXPECT_TRUE(app->inputPipeline()->isStarted());
  EXPECT_TRUE(multitouch->isStarted(device));

  // Switching off again leaves the pipeline running; gestures are dropped by the router.
  app->setEnabled(false);
  EXPECT_TRUE(app->inputPipeline()->isStarted());
}

TEST_F(Lifecycle, TerminationStopsInputThenReleasesCommandThenTheDragThenMomentum) {
  const std::int32_t device = multitouch->addDevice(false);
  launch();
  app->handleGesture(GestureEvent::dragBegan(500, 300));
  app->handleGesture(GestureEvent::dragScrollEnded(0, 50));
  AppSwitcher::shared().cycle(false);
  sim->events().clearRecords();

  app->applicationWillTerminate();
  EXPECT_FALSE(app->inputPipeline()->isStarted());
  EXPECT_FALSE(multitouch->isRegistered(device));
  auto events = posted();
  ASSERT_EQ(events.size(), 2u);
  EXPECT_EQ(events[0].event.type(), EventType::flagsChanged);
  EXPECT_EQ(events[0].event.flags(), 0u);
  EXPECT_EQ(events[1].event.type(), EventType::leftMouseUp);
  EXPECT_FALSE(SyntheticScroll::shared().isMomentumRunning());
  sim->timeline().advanceBy(7.0);
  EXPECT_EQ(posted().size(), 2u);
}

TEST_F(Lifecycle, CallbacksFindingTheApplicationGoneDoNothing) {
  launch();
  std::shared_ptr<InputPipeline> pipeline = InputPipeline::currentPipeline();
  ASSERT_NE(pipeline, nullptr);
  app->handleGesture(GestureEvent::tap(3));  // overlay scheduled, holding the app weakly
  app.reset();
  sim->timeline().runDue();
  EXPECT_EQ(overlay, nullptr);
}

}  // namespace
}  // namespace tactora
