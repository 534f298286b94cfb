// Opening, choosing and re-opening the multitouch device.

#include <gtest/gtest.h>

#include "InputTestSupport.h"

namespace tactora::testing {
namespace {

class InputPipelineDevices : public PipelineTest {};

TEST_F(InputPipelineDevices, BuiltInTrackpadListedFirstIsLoggedAndTheMouseChosen) {
  const auto trackpad = mt().addDevice(true, 98);
  const auto mouse = mt().addDevice(false, 112);
  start();
  EXPECT_EQ(messages("InputPipeline"), (std::vector<std::string>{
                                           "MT device[0]: builtin=true family=98",
                                           "MT device[1]: builtin=false family=112",
                                       }));
  EXPECT_TRUE(pipeline_->hasActiveDevice());
  EXPECT_FALSE(mt().isRegistered(trackpad));
  EXPECT_TRUE(mt().isRegistered(mouse));
  EXPECT_TRUE(mt().isStarted(mouse));
}

TEST_F(InputPipelineDevices, FirstOfTwoExternalDevicesIsChosenAndEmptyEntriesAreSkipped) {
  mt().addEmptyEntry();
  const auto first = mt().addDevice(false, 112);
  const auto second = mt().addDevice(false, 113);
  start();
  EXPECT_EQ(messages("InputPipeline"), (std::vector<std::string>{
                                           "MT device[1]: builtin=false family=112",
                                           "MT device[2]: builtin=false family=113",
                                       }));
  EXPECT_TRUE(mt().isStarted(first));
  EXPECT_FALSE(mt().isRegistered(second));
}

TEST_F(InputPipelineDevices, NoDeviceIsLoggedAndRetriedEveryTwoSecondsUntilOneAppears) {
  mt().setListAvailable(false);
  start();
  EXPECT_EQ(messages("InputPipeline"), std::vector<std::string>{"no multitouch devices found yet"});
  mt().setListAvailable(true);
  mt().addDevice(true, 98);
  log_->clear();
  advanceTo(now() + 4.0);
  EXPECT_EQ(messages("InputPipeline"), (std::vector<std::string>{
                                           "MT device[0]: builtin=true family=98",
                                           "no external multitouch device (Magic Mouse) present",
                                           "MT device[0]: builtin=true family=98",
                                           "no external multitouch device (Magic Mouse) present",
                                       }));
  EXPECT_FALSE(pipeline_->hasActiveDevice());

  const auto mouse = mt().addDevice(false, 112);
  advanceTo(now() + 2.0);
  EXPECT_TRUE(pipeline_->hasActiveDevice());
  EXPECT_TRUE(frameAt(now(), {Contact{1}}, mouse));
  log_->clear();
  advanceTo(now() + 10.0);
  EXPECT_TRUE(messages("InputPipeline").empty()) << "a working device is not re-enumerated";
}

TEST_F(InputPipelineDevices, PlausibleSurfaceSizeIsTakenAndImplausibleOnesKeepThePrevious) {
  const auto mouse = mt().addDevice(false, 112, 5000, 9000);
  start();
  EXPECT_EQ(pipeline_->surfaceSizeMM(), (SizeF{50.0f, 90.0f}));

  for (auto [width, height] :
       {std::pair{0, 0}, std::pair{60000, 60000}, std::pair{500, 9000}, std::pair{5000, 50000}}) {
    mt().reset();
    mt().addDevice(false, 112, width, height);
    pipeline_->handleWake();
    EXPECT_TRUE(pipeline_->hasActiveDevice());
    EXPECT_EQ(pipeline_->surfaceSizeMM(), (SizeF{50.0f, 90.0f})) << width << " x " << height;
  }
  (void)mouse;
}

TEST_F(InputPipelineDevices, SurfaceSizeOfAnEvdevMagicMouseFollowsItsAxes) {
  const auto mouse = mt().addDevice(false, 112, 0, 0);
  ASSERT_TRUE(mt().configureEvdev(mouse, {0x05ac, 0x030d, -1100, 1258, 26, -1589, 2047, 70, 0}));
  start();
  EXPECT_NEAR(pipeline_->surfaceSizeMM().width, 51.94, 0.01);
  EXPECT_NEAR(pipeline_->surfaceSizeMM().height, 90.69, 0.01);
}

TEST_F(InputPipelineDevices, MissingProviderLeavesThePipelineStoppedUntilAStartSucceeds) {
  mt().addDevice(false, 112);
  MTBridgeSetProviderPath("/nonexistent/libTactoraEvdevProvider.so");
  start();
  EXPECT_FALSE(pipeline_->isStarted());
  const auto errors = messages("InputPipeline");
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(
      errors[0].rfind("MultitouchSupport unavailable on this macOS build: dlopen failed: ", 0), 0u)
      << errors[0];
  EXPECT_EQ(log_->lines()[0].level, platform::LogLevel::error);
  EXPECT_TRUE(sim_->dispatch().startedThreadNames().empty());

  MTBridgeSetProviderPath(sim::SimMultitouch::defaultPath().c_str());
  start();
  EXPECT_TRUE(pipeline_->isStarted());
  EXPECT_TRUE(pipeline_->hasActiveDevice());
}

TEST_F(InputPipelineDevices, SecondStartDoesNothing) {
  const auto mouse = mt().addDevice(false, 112);
  start();
  start();
  EXPECT_EQ(mt().startCount(mouse), 1);
  EXPECT_EQ(sim_->dispatch().startedThreadNames(),
            (std::vector<std::string>{"com.vellumworks.Tactora.ButtonStateTap",
                                      "com.vellumworks.Tactora.ScrollSuppressionTap"}));
  EXPECT_EQ(sim_->workspace().didWakeSubscriberCount(), 1u);
}

TEST_F(InputPipelineDevices, SilentDeviceIsReopenedBetween60And62SecondsAfterItsLastFrame) {
  const auto mouse = mt().addDevice(false, 112);
  start();
  const double lastFrame = now() + 0.5;
  ASSERT_TRUE(frameAt(lastFrame, {Contact{1}}));
  ASSERT_TRUE(frameAt(lastFrame + 0.01, {}));
  log_->clear();

  advanceTo(lastFrame + 60.0);
  EXPECT_EQ(mt().startCount(mouse), 1);
  advanceTo(lastFrame + 62.0);
  EXPECT_EQ(mt().startCount(mouse), 2);
  EXPECT_EQ(messages("InputPipeline"), (std::vector<std::string>{
                                           "no frames for 60s — re-enumerating",
                                           "MT device[0]: builtin=false family=112",
                                       }));
  EXPECT_TRUE(mt().isStarted(mouse));
  EXPECT_TRUE(frameAt(now(), {Contact{1}}));
}

TEST_F(InputPipelineDevices, WallClockJumpsDoNotReopenADeviceThatIsSendingFrames) {
  mt().addDevice(false, 112);
  start();
  const double begin = now();
  for (double t = begin; t < begin + 130.0; t += 1.0) {
    ASSERT_TRUE(frameAt(t, {Contact{1}}));
    if (t == begin + 10.0) {
      // The user sets the clock an hour forward between two frames.
      sim_->clock().setWallClockOffset(sim::SimClock::defaultWallClockOffsetSeconds + 3600.0);
    }
  }
  EXPECT_EQ(mt().startCount(0), 1);
}

TEST_F(InputPipelineDevices, StopClosesTheDeviceAndKeepsTheTapThreads) {
  const auto mouse = mt().addDevice(false, 112);
  start();
  pipeline_->stop();
  EXPECT_FALSE(pipeline_->isStarted());
  EXPECT_FALSE(pipeline_->hasActiveDevice());
  EXPECT_FALSE(mt().isRegistered(mouse));
  EXPECT_FALSE(mt().isStarted(mouse));
  EXPECT_EQ(sim_->workspace().didWakeSubscriberCount(), 0u);
  EXPECT_FALSE(frameAt(now() + 1, {Contact{1}}));
  log_->clear();
  advanceTo(now() + 10);
  EXPECT_TRUE(messages("InputPipeline").empty()) << "the watchdog stopped with the pipeline";

  start();
  EXPECT_EQ(mt().startCount(mouse), 2);
  EXPECT_EQ(sim_->dispatch().startedThreadNames().size(), 2u);
}

TEST_F(InputPipelineDevices, DestroyedPipelineReleasesItsDevice) {
  const auto mouse = mt().addDevice(false, 112);
  start();
  pipeline_.reset();
  EXPECT_FALSE(mt().isRegistered(mouse));
  EXPECT_EQ(InputPipeline::currentPipeline(), nullptr);
}

}  // namespace
}  // namespace tactora::testing
