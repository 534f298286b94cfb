#pragma once

#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "GestureEngine/GestureEngine.h"
#include "support/GestureLog.h"
#include "support/TouchScript.h"

namespace tactora::testing {

// A gesture engine on a manual clock, fed by a touch script, with its events in `events`. Every
// event must be checked: whatever is left unchecked at the end fails the test.
class EngineScriptTest : public ::testing::Test {
 public:
  // Changes the tuning the way the application does: through updateConfig.
  void tune(const std::function<void(RecognitionConfig&)>& change) {
    change(config);
    engine.updateConfig(config);
  }

  double nowSeconds = 0;
  RecognitionConfig config = RecognitionConfig::defaults();
  GestureEngine engine{config, [this] { return nowSeconds; }};
  GestureLog events;
  TouchScript script{
      [this](double seconds) { nowSeconds = seconds; },
      [this](const BorrowedFrame& frame) { engine.process(frame, events.emitter()); }};

 protected:
  void TearDown() override {
    EXPECT_TRUE(events.unchecked().empty())
        << "unexpected events: " << describe(events.unchecked());
  }
};

// One behaviour: what the fingers (and the test) do, and every event that must come of it, in
// order. Surface 100 x 100 mm, so 0.01 of a position is 1 mm; the pointer starts at (500, 400).
struct ScriptCase {
  const char* name;
  std::function<void(TouchScript& s, EngineScriptTest& t)> play;
  std::vector<GestureEvent> expected;
};

class ScriptedBehaviour : public EngineScriptTest,
                          public ::testing::WithParamInterface<ScriptCase> {};

inline std::string caseName(const ::testing::TestParamInfo<ScriptCase>& info) {
  return info.param.name;
}

inline void fingerRest(RecognitionConfig& c) {
  c.dragActivation = DragActivation::fingerRest;
}

}  // namespace tactora::testing
