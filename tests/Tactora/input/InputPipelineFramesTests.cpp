// Frames through the pipeline: scroll suppression across frames and engine events, the physical
// button, wake and stop while a drag is held.

#include <gtest/gtest.h>

#include "InputTestSupport.h"

namespace tactora::testing {
namespace {

using Mode = ScrollSuppressionMode;

class InputPipelineFrames : public PipelineTest {
 protected:
  explicit InputPipelineFrames(RecognitionConfig config = {}) : PipelineTest(config) {}
  void SetUp() override {
    mt().addDevice(false, 112, 5150, 9050);
    start();
    t0_ = now() + 1.0;
  }
  double t0_ = 0;
};

TEST_F(InputPipelineFrames, SuppressionAgeCountsFromTheFirstFingerAndEndsWithTheLastOne) {
  const Contact one{1, 4, 0.4f, 0.5f};
  const Contact two{2, 4, 0.6f, 0.5f};
  frameAt(t0_, {one});
  EXPECT_EQ(tapMode(), Mode::none) << "one finger scrolls natively";
  frameAt(t0_ + 0.10, {one, two});
  EXPECT_EQ(tapMode(), Mode::all);
  frameAt(t0_ + 0.19, {one, two});
  EXPECT_EQ(tapMode(), Mode::all);
  frameAt(t0_ + 0.21, {one, two});
  EXPECT_EQ(tapMode(), Mode::none) << "the second finger's touch-down does not restart the window";

  // A frame whose records pointer is missing is dropped, whatever its count.
  frameAt(t0_ + 0.3, {Contact{3}, Contact{4}});
  ASSERT_EQ(tapMode(), Mode::all);
  EXPECT_TRUE(mt().deliverRawFrame(0, nullptr, 2, t0_ + 0.5));
  EXPECT_EQ(tapMode(), Mode::all);
  // An empty frame ends every finger and drops suppression at once.
  frameAt(t0_ + 0.31, {});
  EXPECT_EQ(tapMode(), Mode::none);
  EXPECT_EQ(pipeline_->suppressionPolicy().mode(), Mode::none);
  frameAt(t0_ + 0.5, {Contact{5}, Contact{6}});
  EXPECT_EQ(tapMode(), Mode::all) << "a fresh pair is young again";
  events.take();
}

// The frame observer (the settings' live surface) sees each frame as the engine got it.
TEST_F(InputPipelineFrames, TheFrameObserverSeesEveryFrameTheEngineGets) {
  std::vector<std::size_t> touches;
  pipeline_->setFrameObserver(
      [&touches](const BorrowedFrame& frame) { touches.push_back(frame.touches.size()); });
  frameAt(t0_, {Contact{1, 4, 0.4f, 0.5f}});
  frameAt(t0_ + 0.01, {Contact{1, 4, 0.4f, 0.5f}, Contact{2, 4, 0.6f, 0.5f}});
  frameAt(t0_ + 0.02, {});
  // The empty frame still carries both fingers, as lifted: the engine sees them end.
  EXPECT_EQ(touches, (std::vector<std::size_t>{1, 2, 2}));
  events.take();
}

class InputPipelineDrag : public InputPipelineFrames {
 protected:
  InputPipelineDrag() : InputPipelineFrames(fingerRestDrag()) {}

  void SetUp() override {
    InputPipelineFrames::SetUp();
    // A finger rests while the whole mouse moves: the pointer travels, the finger does not.
    sim_->events().setPointer({500, 400});
    frameAt(t0_, {Contact{1}});
    frameAt(t0_ + 0.01, {Contact{1}});
    sim_->events().setPointer({520, 400});
    frameAt(t0_ + 0.02, {Contact{1}});
    ASSERT_EQ(events.take(), (std::vector{dragBegan(500, 400)}));
    ASSERT_EQ(tapMode(), Mode::all);
  }
};

TEST_F(InputPipelineDrag, WakeEndsTheDragOnceAndReopensTheDevice) {
  advanceTo(t0_ + 0.5);
  sim_->workspace().postDidWake();
  EXPECT_EQ(events.take(), (std::vector{dragEnded()}));
  EXPECT_EQ(tapMode(), Mode::none);
  EXPECT_FALSE(pipeline_->suppressionPolicy().isDragging());
  EXPECT_EQ(mt().startCount(0), 2);
  EXPECT_TRUE(log_->contains("system woke — re-enumerating multitouch devices"));
  // The resting finger, seen again after the wake, is a new contact: no second end.
  frameAt(t0_ + 0.6, {Contact{1}});
  frameAt(t0_ + 0.7, {});
  for (const GestureEvent& e : events.take()) {
    EXPECT_NE(e, dragEnded());
  }
}

TEST_F(InputPipelineDrag, StopLeavesTheDragToTheOwner) {
  pipeline_->stop();
  EXPECT_TRUE(events.take().empty());
  EXPECT_TRUE(engine_->isDragging());
  EXPECT_EQ(tapMode(), Mode::none);
}

TEST_F(InputPipelineDrag, PhysicalButtonPressReachesTheEngineAndEndsTheDrag) {
  sim_->events().deliver(
      sim::SimEvents::nativeMouseEvent(platform::EventType::leftMouseDown, {520, 400}));
  frameAt(t0_ + 0.03, {Contact{1}});
  EXPECT_EQ(events.take(), (std::vector{dragEnded()}));
}

}  // namespace
}  // namespace tactora::testing
