#include "Tactora/input/ScrollSuppressionPolicy.h"

#include <gtest/gtest.h>

#include <optional>
#include <vector>

namespace tactora {
namespace {

using Mode = ScrollSuppressionMode;

// One call on the policy: a frame (no event) with `count` contacts of age `age`, or an event
// emitted in a frame with `count` contacts; `now` is uptime seconds.
struct Step {
  std::optional<GestureEvent> event;
  int count;
  double age;
  double now;
  Mode expected;
};

struct Script {
  const char* name;
  std::vector<Step> steps;
};

const GestureEvent candidate = GestureEvent::swipeCandidateBegan();
const GestureEvent swipe3 = GestureEvent::swipe(3, Direction::left);
const GestureEvent swipe1 = GestureEvent::swipe(1, Direction::right);

const Script scripts[] = {
    {"one resting finger scrolls natively", {{{}, 1, 0.0, 10.0, Mode::none}}},
    {"several fingers hold all scrolling for their first 0.2 s",
     {{{}, 2, 0.0, 10.0, Mode::all},
      {{}, 3, 0.19, 10.19, Mode::all},
      {{}, 2, 0.2, 10.2, Mode::none}}},
    {"a candidate holds 0.35 s, the swipe extends to 0.6 s, a later candidate never shortens",
     {{{}, 3, 0.5, 10.0, Mode::none},
      {candidate, 3, 0, 10.0, Mode::all},
      {swipe3, 3, 0, 10.1, Mode::all},
      {candidate, 3, 0, 10.2, Mode::all},
      {{}, 3, 1.0, 10.69, Mode::all},
      {{}, 3, 1.0, 10.7, Mode::none}}},
    {"a one-finger swipe holds horizontal scrolling only",
     {{{}, 1, 0.3, 10.0, Mode::none},
      {swipe1, 1, 0, 10.0, Mode::horizontalOnly},
      {{}, 1, 0.5, 10.59, Mode::horizontalOnly},
      {{}, 1, 0.6, 10.6, Mode::none}}},
    {"a drag holds everything; its end lowers nothing until the next frame",
     {{{}, 1, 0.5, 10.0, Mode::none},
      {GestureEvent::dragBegan(1, 2), 1, 0, 10.0, Mode::all},
      {{}, 1, 5.0, 15.0, Mode::all},
      {GestureEvent::dragEnded(), 1, 0, 15.0, Mode::all},
      {{}, 1, 5.01, 15.01, Mode::none}}},
    {"events never lower the mode",
     {{{}, 2, 0.0, 10.0, Mode::all},
      {GestureEvent::tap(2), 2, 0, 10.0, Mode::all},
      {swipe1, 1, 0, 10.0, Mode::all},
      {{}, 2, 0.3, 10.3, Mode::horizontalOnly}}},
    {"an empty surface drops every hold",
     {{{}, 2, 0.5, 10.0, Mode::none},
      {swipe3, 2, 0, 10.0, Mode::all},
      {swipe1, 1, 0, 10.0, Mode::all},
      {GestureEvent::dragBegan(0, 0), 1, 0, 10.0, Mode::all},
      {{}, 0, 0.0, 10.05, Mode::none},
      {{}, 1, 0.0, 10.1, Mode::none}}},
};

TEST(ScrollSuppressionPolicy, ModesFollowFramesHoldsAndDrags) {
  for (const Script& script : scripts) {
    SCOPED_TRACE(script.name);
    ScrollSuppressionPolicy policy;
    for (std::size_t i = 0; i < script.steps.size(); ++i) {
      const Step& step = script.steps[i];
      const Mode mode = step.event ? policy.updateForEvent(*step.event, step.count, step.now)
                                   : policy.updateForFrame(step.count, step.age, step.now);
      EXPECT_EQ(mode, step.expected) << "step " << i;
    }
  }
}

}  // namespace
}  // namespace tactora
