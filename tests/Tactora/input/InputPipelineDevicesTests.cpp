// Opening, choosing and re-opening the multitouch device.

#include <gtest/gtest.h>

#include "InputTestSupport.h"

namespace tactora::testing {
namespace {

class InputPipelineDevices : public PipelineTest {};

TEST_F(InputPipelineDevices, EveryDeviceIsLoggedAndTheFirstExternalOneChosen) {
  const auto trackpad = mt().addDevice(true, 98);
  const auto mouse = mt().addDevice(false, 112);
  start();
  EXPECT_EQ(messages("InputPipeline"), (Lines{"MT device[0]: builtin=true family=98",
                                              "MT device[1]: builtin=false family=112"}));
  EXPECT_FALSE(mt().isRegistered(trackpad));
  EXPECT_TRUE(mt().isRegistered(mouse) && mt().isStarted(mouse));

  pipeline_->stop();
  mt().reset();
  log_->clear();
  mt().addEmptyEntry();  // skipped, not logged
  const auto first = mt().addDevice(false, 112);
  const auto second = mt().addDevice(false, 113);
  start();
  EXPECT_EQ(messages("InputPipeline"), (Lines{"MT device[1]: builtin=false family=112",
                                              "MT device[2]: builtin=false family=113"}));
  EXPECT_TRUE(mt().isStarted(first));
  EXPECT_FALSE(mt().isRegistered(second));
}

TEST_F(InputPipelineDevices, MissingDevicesAreLoggedAndRetriedEveryTwoSecondsUntilOneAppears) {
  mt().setListAvailable(false);
  start();
  EXPECT_EQ(messages("InputPipeline"), Lines{"no multitouch devices found yet"});
  mt().setListAvailable(true);
  mt().addDevice(true, 98);
  log_->clear();
  advanceTo(now() + 4.0);
  EXPECT_EQ(messages("InputPipeline"),
            (Lines{"MT device[0]: builtin=true family=98",
                   "no external multitouch device (Magic Mouse) present",
                   "MT device[0]: builtin=true family=98",
                   "no external multitouch device (Magic Mouse) present"}));
  EXPECT_FALSE(pipeline_->hasActiveDevice());

  const auto mouse = mt().addDevice(false, 112);
  advanceTo(now() + 2.0);
  EXPECT_TRUE(frameAt(now(), {Contact{1}}, mouse));
  log_->clear();
  advanceTo(now() + 10.0);
  EXPECT_TRUE(messages("InputPipeline").empty()) << "a working device is not re-enumerated";
}

TEST_F(InputPipelineDevices, ImplausibleSurfaceSizesKeepThePreviousOne) {
  mt().addDevice(false, 112, 5000, 9000);
  start();
  EXPECT_EQ(pipeline_->surfaceSizeMM(), (SizeF{50.0f, 90.0f}));
  using Size = std::pair<int, int>;
  for (auto [width, height] :
       {Size{0, 0}, Size{60000, 60000}, Size{500, 9000}, Size{5000, 50000}}) {
    mt().reset();
    mt().addDevice(false, 112, width, height);
    pipeline_->handleWake();
    EXPECT_TRUE(pipeline_->hasActiveDevice());
    EXPECT_EQ(pipeline_->surfaceSizeMM(), (SizeF{50.0f, 90.0f})) << width << " x " << height;
  }
}

TEST_F(InputPipelineDevices, FailedBridgeLoadsSayWhyAndLeaveThePipelineStartable) {
  MTBridgeSetProviderPath("libc.so.6");  // the first missing symbol is named
  EXPECT_EQ(MTBridgeLoad(), -1);
  EXPECT_STREQ(MTBridgeLastError(), "missing symbol: MTDeviceCreateList");
  const std::string longPath = "/nonexistent/" + std::string(600, 'x') + ".so";
  MTBridgeSetProviderPath(longPath.c_str());
  EXPECT_EQ(MTBridgeLoad(), -1);
  EXPECT_EQ(std::string(MTBridgeLastError()).size(), 255u) << "cut, not overflowing";

  const auto mouse = mt().addDevice(false, 112);
  MTBridgeSetProviderPath("/nonexistent/libTactoraEvdevProvider.so");
  start();
  EXPECT_FALSE(pipeline_->isStarted());
  ASSERT_EQ(log_->lines().size(), 1u);
  EXPECT_EQ(log_->lines()[0].level, platform::LogLevel::error);
  EXPECT_EQ(log_->lines()[0].message.rfind("multitouch provider unavailable: "
                                           "dlopen failed: /nonexistent/libTactoraEvdev",
                                           0),
            0u);
  EXPECT_TRUE(sim_->dispatch().startedThreadNames().empty()) << "no tap before a loaded bridge";

  MTBridgeSetProviderPath(sim::SimMultitouch::defaultPath().c_str());
  start();
  start();
  EXPECT_EQ(mt().startCount(mouse), 1);
  EXPECT_EQ(sim_->workspace().didWakeSubscriberCount(), 1u);
}

TEST_F(InputPipelineDevices, StopClosesTheDeviceSideAndDestructionReleasesIt) {
  const auto mouse = mt().addDevice(false, 112);
  start();
  pipeline_->stop();
  EXPECT_FALSE(mt().isRegistered(mouse) || mt().isStarted(mouse));
  EXPECT_EQ(sim_->workspace().didWakeSubscriberCount(), 0u);
  log_->clear();
  advanceTo(now() + 10);
  EXPECT_TRUE(messages("InputPipeline").empty()) << "the watchdog stopped with the pipeline";

  start();
  EXPECT_EQ(mt().startCount(mouse), 2);
  EXPECT_EQ(sim_->dispatch().startedThreadNames(),
            (Lines{ButtonStateTap::threadName, ScrollSuppressionTap::threadName}))
      << "the tap threads outlive a stop and start once";
  pipeline_.reset();
  EXPECT_FALSE(mt().isRegistered(mouse));
  EXPECT_EQ(InputPipeline::currentPipeline(), nullptr);
}

TEST_F(InputPipelineDevices, SilentDeviceIsReopenedBetween60And62SecondsAfterItsLastFrame) {
  const auto mouse = mt().addDevice(false, 112);
  start();
  const double lastFrame = now() + 0.5;
  ASSERT_TRUE(frameAt(lastFrame, {Contact{1}}));
  ASSERT_TRUE(frameAt(lastFrame + 0.01, {}));
  // Setting the wall clock forward does not make the device look silent.
  sim_->clock().setWallClockOffset(sim::SimClock::defaultWallClockOffsetSeconds + 3600.0);
  log_->clear();

  advanceTo(lastFrame + 60.0);
  EXPECT_EQ(mt().startCount(mouse), 1);
  advanceTo(lastFrame + 62.0);
  EXPECT_EQ(mt().startCount(mouse), 2);
  EXPECT_EQ(messages("InputPipeline"), (Lines{"no frames for 60s — re-enumerating",
                                              "MT device[0]: builtin=false family=112"}));
  EXPECT_TRUE(frameAt(now(), {Contact{1}}));
}

}  // namespace
}  // namespace tactora::testing
