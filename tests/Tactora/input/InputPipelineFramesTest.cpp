// Frames through the pipeline: scroll suppression across frames and engine events, the physical
// button, wake and stop while a drag is held.

#include <gtest/gtest.h>

#include <algorithm>

#include "InputTestSupport.h"

namespace tactora::testing {
namespace {

using Mode = ScrollSuppressionMode;

class InputPipelineFrames : public PipelineTest {
 protected:
  void SetUp() override {
    mt().addDevice(false, 112, 5150, 9050);
    start();
    t0_ = now() + 1.0;
  }
  double t0_ = 0;
};

TEST_F(InputPipelineFrames, SuppressionAgeCountsFromTheFirstFingerOfFingersLandingApart) {
  frameAt(t0_, {Contact{1, 4, 0.4f, 0.5f}});
  EXPECT_EQ(tapMode(), Mode::none) << "one finger scrolls natively";
  frameAt(t0_ + 0.10, {Contact{1, 4, 0.4f, 0.5f}, Contact{2, 4, 0.6f, 0.5f}});
  EXPECT_EQ(tapMode(), Mode::all);
  frameAt(t0_ + 0.19, {Contact{1, 4, 0.4f, 0.5f}, Contact{2, 4, 0.6f, 0.5f}});
  EXPECT_EQ(tapMode(), Mode::all);
  frameAt(t0_ + 0.21, {Contact{1, 4, 0.4f, 0.5f}, Contact{2, 4, 0.6f, 0.5f}});
  EXPECT_EQ(tapMode(), Mode::none) << "the second finger's touch-down does not restart the window";
}

TEST_F(InputPipelineFrames, FrameWithoutContactsEndsEveryoneAndResetsSuppression) {
  frameAt(t0_, {Contact{1, 4, 0.4f, 0.5f}, Contact{2, 4, 0.6f, 0.5f}});
  ASSERT_EQ(tapMode(), Mode::all);
  sim_->events().setPointer({300, 200});
  frameAt(t0_ + 0.01, {});
  EXPECT_EQ(tapMode(), Mode::none);
  EXPECT_EQ(pipeline_->suppressionPolicy().mode(), Mode::none);
  // Both fingers ended: a fresh pair is young again.
  frameAt(t0_ + 0.5, {Contact{3}, Contact{4}});
  EXPECT_EQ(tapMode(), Mode::all);
}

TEST_F(InputPipelineFrames, FrameWithoutRecordsPointerIsIgnoredWhateverItsCount) {
  frameAt(t0_, {Contact{1}, Contact{2}});
  advanceTo(t0_ + 0.5);
  EXPECT_TRUE(mt().deliverRawFrame(0, nullptr, 2, t0_ + 0.5));
  EXPECT_EQ(tapMode(), Mode::all) << "the policy was not recomputed";
  EXPECT_TRUE(events.take().empty());
}

TEST_F(InputPipelineFrames, SwipeHoldsSuppressionPastTheYoungWindowUntilTheFingersLift) {
  std::vector<Contact> fingers{Contact{1, 4, 0.40f, 0.5f}, Contact{2, 4, 0.60f, 0.5f}};
  frameAt(t0_, fingers);
  // Both fingers sweep left, 1.5 mm per frame.
  double swipeAt = -1;
  double t = t0_ + 0.01;
  for (int step = 0; step < 10; ++step, t += 0.01) {
    for (Contact& c : fingers) {
      c.x -= 0.03f;
    }
    frameAt(t, fingers);
    for (const GestureEvent& e : events.take()) {
      if (e == GestureEvent::swipe(2, Direction::left)) {
        swipeAt = t;
      }
    }
  }
  ASSERT_GT(swipeAt, 0) << "the engine recognised no two-finger swipe";
  EXPECT_EQ(tapMode(), Mode::all);
  frameAt(swipeAt + 0.59, fingers);
  EXPECT_EQ(tapMode(), Mode::all);
  frameAt(swipeAt + 0.61, fingers);
  EXPECT_EQ(tapMode(), Mode::none);
  frameAt(swipeAt + 0.62, {});
  EXPECT_EQ(tapMode(), Mode::none);
}

RecognitionConfig fingerRestDrag() {
  RecognitionConfig config;
  config.dragActivation = DragActivation::fingerRest;
  return config;
}

class InputPipelineDrag : public PipelineTest {
 protected:
  InputPipelineDrag() : PipelineTest(fingerRestDrag()) {}

  void SetUp() override {
    mouse_ = mt().addDevice(false, 112, 5150, 9050);
    start();
    t0_ = now() + 1.0;
    // A finger rests while the whole mouse moves: the pointer travels, the finger does not.
    sim_->events().setPointer({500, 400});
    frameAt(t0_, {Contact{1}});
    frameAt(t0_ + 0.01, {Contact{1}});
    sim_->events().setPointer({520, 400});
    frameAt(t0_ + 0.02, {Contact{1}});
    ASSERT_EQ(events.take(), (std::vector{dragBegan(500, 400)}));
    ASSERT_EQ(tapMode(), Mode::all);
  }

  std::int32_t mouse_ = 0;
  double t0_ = 0;
};

TEST_F(InputPipelineDrag, WakeEndsTheDragOnceAndReopensTheDevice) {
  advanceTo(t0_ + 0.5);
  sim_->workspace().postDidWake();
  EXPECT_EQ(events.take(), (std::vector{dragEnded()}));
  EXPECT_FALSE(engine_->isDragging());
  EXPECT_EQ(tapMode(), Mode::none);
  EXPECT_FALSE(pipeline_->suppressionPolicy().isDragging());
  EXPECT_EQ(mt().startCount(mouse_), 2);
  EXPECT_TRUE(log_->contains("system woke — re-enumerating multitouch devices"));
  // The resting finger, seen again after the wake, is a new contact: no second end.
  frameAt(t0_ + 0.6, {Contact{1}});
  frameAt(t0_ + 0.7, {});
  EXPECT_TRUE(std::ranges::none_of(events.take(), [](const GestureEvent& e) {
    return e.kind() == GestureEvent::Case::dragEnded;
  }));
}

TEST_F(InputPipelineDrag, StopProducesNoDragEnd) {
  pipeline_->stop();
  EXPECT_TRUE(events.take().empty());
  EXPECT_TRUE(engine_->isDragging()) << "ending the synthetic drag is the owner's job";
  EXPECT_EQ(tapMode(), Mode::none);
}

TEST_F(InputPipelineDrag, PhysicalButtonPressReachesTheEngineAndEndsTheDrag) {
  sim_->events().deliver(
      sim::SimEvents::nativeMouseEvent(platform::EventType::leftMouseDown, {520, 400}));
  ASSERT_TRUE(pipeline_->buttonStateTap().isButtonDown());
  frameAt(t0_ + 0.03, {Contact{1}});
  EXPECT_EQ(events.take(), (std::vector{dragEnded()}));
}

}  // namespace
}  // namespace tactora::testing
