// Frames on a delivery thread while the main thread opens, closes and resets the device, and
// while the taps' threads report the button and filter scroll events.

#include <gtest/gtest.h>

#include <atomic>
#include <latch>
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

  // The frame thread and the test's other thread start together, and neither stops before the
  // other has done a minimum of rounds, so their work overlaps whatever the scheduler does.
  static constexpr int minFrameCycles = 20;
  static constexpr int minOtherRounds = 200;
  std::latch start_{2};
  std::atomic<int> frameCycles_{0};
  std::atomic<bool> stopFrames_{false};

  // Two fingers landing, moving and lifting, over and over, until `stopFrames_` is set. The
  // gestures of both threads reach the log under the engine's lock.
  std::thread frameThread() {
    return std::thread([this] {
      start_.arrive_and_wait();
      for (std::int32_t cycle = 0, id = 1; !stopFrames_.load(); ++cycle, id += 2) {
        for (int step = 0; step < 12; ++step) {
          const float dx = 0.02f * float(step);
          const Contact fingers[] = {{id, 4, 0.3f + dx, 0.5f}, {id + 1, 4, 0.6f + dx, 0.5f}};
          mt().deliverFrame(0, fingers, 0.01 * cycle);
        }
        mt().deliverFrame(0, {}, 0.01 * cycle);
        ++frameCycles_;
      }
    });
  }

  // True while the other thread must go on: before its minimum of rounds, or while the frame
  // thread has not yet done its own.
  bool keepGoing(int round) const {
    return round < minOtherRounds || frameCycles_.load() < minFrameCycles;
  }
};

TEST_F(InputPipelineConcurrency, MainThreadOperationsDoNotOverlapFrames) {
  std::thread frames = frameThread();
  start_.arrive_and_wait();
  for (int round = 0; keepGoing(round); ++round) {
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
  stopFrames_ = true;
  frames.join();
  pipeline_->stop();
  EXPECT_EQ(tapMode(), ScrollSuppressionMode::none);
  events.take();
}

TEST_F(InputPipelineConcurrency, TapThreadsAndFramesShareTheButtonAndTheMode) {
  std::thread frames = frameThread();
  std::thread taps([this] {
    start_.arrive_and_wait();
    // Each round presses and releases, so the button ends up whatever the number of rounds.
    for (int round = 0; keepGoing(round); ++round) {
      sim_->events().deliver(
          sim::SimEvents::nativeMouseEvent(platform::EventType::leftMouseDown, {0, 0}));
      sim_->events().deliver(sim::SimEvents::nativeScrollEvent(round % 3, 1));
      sim_->events().deliver(
          sim::SimEvents::nativeMouseEvent(platform::EventType::leftMouseUp, {0, 0}));
      sim_->events().deliver(sim::SimEvents::nativeScrollEvent((round + 1) % 3, 1));
    }
  });
  taps.join();
  stopFrames_ = true;
  frames.join();
  EXPECT_FALSE(pipeline_->buttonStateTap().isButtonDown());
  events.take();
}

}  // namespace
}  // namespace tactora::testing
