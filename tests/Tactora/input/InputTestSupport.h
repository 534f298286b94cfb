#pragma once

// What the input tests share: the sim provider bound as the bridge binds it, a sim platform, a
// capturing log, and a pipeline over a real gesture engine.

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "GestureEngine/GestureEngine.h"
#include "Platform/Log.h"
#include "Platform/sim/SimPlatform.h"
#include "Platform/sim/provider/SimMultitouch.h"
#include "Tactora/input/InputPipeline.h"
#include "Tactora/input/MTBridge.h"
#include "support/CapturingLogSink.h"
#include "support/GestureLog.h"
#include "support/TouchScript.h"

namespace tactora::testing {

using Contact = sim::SimMultitouch::Contact;
using Lines = std::vector<std::string>;

// A sim platform with the sim provider, no devices, and a log that keeps every line.
class SimInputTest : public ::testing::Test {
 protected:
  SimInputTest() {
    platform::Log::setSink(log_);
    mt().reset();
    MTBridgeSetProviderPath(sim::SimMultitouch::defaultPath().c_str());
  }
  ~SimInputTest() override {
    mt().reset();
    platform::Log::setSink(nullptr);
  }

  static const sim::SimMultitouch& mt() {
    static const std::optional<sim::SimMultitouch> bound = [] {
      std::string error;
      auto provider = sim::SimMultitouch::bind(sim::SimMultitouch::defaultPath(), &error);
      if (!provider) {
        std::fprintf(stderr, "cannot bind the sim provider: %s\n", error.c_str());
        std::abort();
      }
      return provider;
    }();
    return *bound;
  }
  double now() const { return sim_->timeline().now(); }
  void advanceTo(double seconds) { sim_->timeline().advanceTo(seconds); }
  Lines messages(std::string_view category) const { return log_->messages(category); }

  std::shared_ptr<sim::SimPlatform> sim_ = sim::SimPlatform::install(1000.0);
  std::shared_ptr<platform::CapturingLogSink> log_ = std::make_shared<platform::CapturingLogSink>();
};

// A pipeline over a gesture engine on the sim clock; its events land in `events`. The device
// references it took must all be released by the end.
class PipelineTest : public SimInputTest {
 protected:
  explicit PipelineTest(RecognitionConfig config = {})
      : engine_(std::make_shared<GestureEngine>(config, [this] { return now(); })),
        pipeline_(InputPipeline::create(engine_, events.emitter())) {}
  ~PipelineTest() override {
    pipeline_.reset();
    mt().reset();
    EXPECT_EQ(mt().liveObjects(), 0) << "device references leaked";
  }

  // Starts the pipeline and lets the tap threads create their taps.
  void start() {
    pipeline_->start();
    sim_->timeline().runDue();
  }
  // A frame of `device` at uptime `seconds`; false when no callback took it.
  bool frameAt(double seconds, std::vector<Contact> contacts, std::int32_t device = 0) {
    advanceTo(seconds);
    return mt().deliverFrame(device, contacts, seconds);
  }
  ScrollSuppressionMode tapMode() { return pipeline_->scrollSuppressionTap().mode(); }

  GestureLog events;
  std::shared_ptr<GestureEngine> engine_;
  std::shared_ptr<InputPipeline> pipeline_;
};

inline RecognitionConfig fingerRestDrag() {
  RecognitionConfig config;
  config.dragActivation = DragActivation::fingerRest;
  return config;
}

}  // namespace tactora::testing
