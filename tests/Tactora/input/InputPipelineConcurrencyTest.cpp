// Frames on a delivery thread while the main thread opens, closes and resets the device, and
// while the taps' threads report the button and filter scroll events.

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "InputTestSupport.h"

namespace tactora::testing {
namespace {

class InputPipelineConcurrency : public PipelineTest {
 protected:
  InputPipelineConcurrency() : PipelineTest(fingerRestDrag()) {
    mt().addDevice(false, 112, 5150, 9050);
    start();
  }

  // Two fingers landing, moving and lifting, over and over, until `stop`. The gestures of both
  // threads reach the log under the engine's lock.
  std::thread frameThread(std::atomic<bool>& stop) {
    return std::thread([&stop] {
      for (std::int32_t cycle = 0, id = 1; !stop.load(); ++cycle, id += 2) {
        for (int step = 0; step < 12; ++step) {
          const float dx = 0.02f * float(step);
          const Contact fingers[] = {{id, 4, 0.3f + dx, 0.5f}, {id + 1, 4, 0.6f + dx, 0.5f}};
          mt().deliverFrame(0, fingers, 0.01 * cycle);
        }
        mt().deliverFrame(0, {}, 0.01 * cycle);
      }
    });
  }
};

TEST_F(InputPipelineConcurrency, MainThreadOperationsDoNotOverlapFrames) {
  std::atomic<bool> stop{false};
  std::thread frames = frameThread(stop);
  for (int round = 0; round < 200; ++round) {
    switch (round % 4) {
      case 0:
        pipeline_->handleWake();
        break;
      case 1:
        advanceTo(now() + 2.0);  // watchdog tick
        break;
      case 2:
        pipeline_->stop();
        break;
      case 3:
        pipeline_->start();
        break;
    }
    (void)pipeline_->surfaceSizeMM();
    (void)pipeline_->suppressionPolicy();
  }
  stop = true;
  frames.join();
  pipeline_->stop();
  EXPECT_EQ(tapMode(), ScrollSuppressionMode::none);
  events.take();
}

TEST_F(InputPipelineConcurrency, TapThreadsAndFramesShareTheButtonAndTheMode) {
  std::atomic<bool> stop{false};
  std::thread frames = frameThread(stop);
  std::thread taps([this] {
    for (int i = 0; i < 500; ++i) {
      sim_->events().deliver(sim::SimEvents::nativeMouseEvent(
          i % 2 ? platform::EventType::leftMouseUp : platform::EventType::leftMouseDown, {0, 0}));
      sim_->events().deliver(sim::SimEvents::nativeScrollEvent(i % 3, 1));
    }
  });
  taps.join();
  stop = true;
  frames.join();
  EXPECT_FALSE(pipeline_->buttonStateTap().isButtonDown());
  events.take();
}

}  // namespace
}  // namespace tactora::testing
