#pragma once

#include <functional>

#include <gtest/gtest.h>

#include "GestureEngine/GestureEngine.h"
#include "support/TouchScript.h"

namespace tactora::testing {

// A gesture engine on a manual clock, fed by a touch script, with its events in `events`. Every
// test must check every event: whatever is left unchecked at the end fails the test.
class EngineScriptTest : public ::testing::Test {
 protected:
  // Changes the tuning the way the application does: through updateConfig.
  void tune(const std::function<void(RecognitionConfig&)>& change) {
    change(config);
    engine.updateConfig(config);
  }

  void TearDown() override {
    EXPECT_TRUE(events.unchecked().empty())
        << "unexpected events: " << describe(events.unchecked());
  }

  double nowSeconds = 0;
  RecognitionConfig config = RecognitionConfig::defaults();
  GestureEngine engine{config, [this] { return nowSeconds; }};
  GestureLog events;
  TouchScript script{
      [this](double seconds) { nowSeconds = seconds; },
      [this](const BorrowedFrame& frame) { engine.process(frame, events.emitter()); }};
};

}  // namespace tactora::testing
