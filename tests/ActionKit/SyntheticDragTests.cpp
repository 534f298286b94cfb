#include "ActionKit/SyntheticDrag.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "Platform/CapturingLogSink.h"
#include "Platform/Log.h"
#include "SimActionFixture.h"

namespace tactora {
namespace {

using testing::SimActionTest;
using Lines = std::vector<std::string>;

class SyntheticDragTest : public SimActionTest {
 protected:
  SyntheticDrag drag{*sim};
};

TEST_F(SyntheticDragTest, BeginAtAPointThenEndAtThePointerReportsTheMovement) {
  drag.begin(platform::Point{100, 200});
  sim->events().setPointer({103, 198});
  drag.end();
  EXPECT_EQ(posted(), (Lines{"leftMouseDown (100, 200) button 0 click 1 delta (0, 0) marked",
                             "leftMouseUp (103, 198) button 0 click 1 delta (3, -2) marked"}));
  EXPECT_FALSE(drag.isDragging());
}

TEST_F(SyntheticDragTest, FollowingAndNudgingChainTheirDeltasFromTheLastPostedPosition) {
  sim->events().setPointer({50, 50});
  drag.begin(std::nullopt);  // at the pointer
  drag.moveBy(1.6, -0.4);
  sim->events().setPointer({60.5, 49.5});
  // The nudge moved the drag away from the pointer; following measures from the nudged spot.
  drag.followCursor();
  drag.moveBy(-2.5, 2.5);  // halves round away from zero
  drag.end();
  EXPECT_EQ(posted(), (Lines{"leftMouseDown (50, 50) button 0 click 1 delta (0, 0) marked",
                             "leftMouseDragged (51.6, 49.6) button 0 click 1 delta (2, 0) marked",
                             "leftMouseDragged (60.5, 49.5) button 0 click 1 delta (9, 0) marked",
                             "leftMouseDragged (58, 52) button 0 click 1 delta (-3, 3) marked",
                             "leftMouseUp (60.5, 49.5) button 0 click 1 delta (3, -3) marked"}));
}

TEST_F(SyntheticDragTest, OperationsOutsideTheirStateAreIgnored) {
  drag.followCursor();
  drag.moveBy(5, 5);
  drag.end();
  EXPECT_EQ(posted(), Lines{});

  drag.begin(platform::Point{10, 10});
  drag.begin(platform::Point{90, 90});  // a second begin keeps the first drag
  EXPECT_EQ(drag.lastPosition(), (platform::Point{10, 10}));
  drag.end();
  drag.end();
  // After the release the last position stays where the drag was last posted.
  EXPECT_EQ(drag.lastPosition(), (platform::Point{10, 10}));
  EXPECT_EQ(posted().size(), 2u);
}

TEST_F(SyntheticDragTest, InjectedPointerAndPostingAreUsed) {
  std::vector<platform::Event> sent;
  platform::Point pointer{7, 8};
  SyntheticDrag injected(
      *sim, [&pointer] { return pointer; },
      [&sent](const platform::Event& event) { sent.push_back(event); });
  injected.begin(std::nullopt);
  pointer = {9, 4};
  injected.followCursor();
  ASSERT_EQ(sent.size(), 2u);
  EXPECT_EQ(testing::describe(sent[1]),
            "leftMouseDragged (9, 4) button 0 click 1 delta (2, -4) marked");
  EXPECT_TRUE(sim->events().posted().empty());
}

TEST_F(SyntheticDragTest, WithoutASourceTheStateStillChangesButNothingIsPosted) {
  sim->events().setEventSourceAvailable(false);
  drag.begin(platform::Point{1, 1});
  EXPECT_TRUE(drag.isDragging());
  drag.moveBy(3, 3);
  EXPECT_EQ(drag.lastPosition(), (platform::Point{4, 4}));
  drag.end();
  EXPECT_FALSE(drag.isDragging());
  EXPECT_EQ(posted(), Lines{});
}

TEST_F(SyntheticDragTest, EachPostedEventIsLoggedWithItsUnroundedDelta) {
  auto sink = std::make_shared<platform::CapturingLogSink>();
  auto previous = platform::Log::setSink(sink);
  drag.begin(platform::Point{50, 50});
  drag.moveBy(1.6, -0.4);
  platform::Log::setSink(previous);
  EXPECT_EQ(sink->messages("SyntheticDrag"),
            (Lines{"drag leftMouseDown at (50.000000, 50.000000) delta (0.000000, 0.000000)",
                   "drag leftMouseDragged at (51.600000, 49.600000) delta (1.600000, -0.400000)"}));
}

TEST_F(SyntheticDragTest, SharedDragPostsAtThePointerOfTheInstalledPlatform) {
  auto& shared = SyntheticDrag::shared();
  EXPECT_EQ(&shared, &SyntheticDrag::shared());
  sim->events().setPointer({5, 6});
  shared.begin(std::nullopt);
  shared.end();
  EXPECT_EQ(posted(), (Lines{"leftMouseDown (5, 6) button 0 click 1 delta (0, 0) marked",
                             "leftMouseUp (5, 6) button 0 click 1 delta (0, 0) marked"}));
}

}  // namespace
}  // namespace tactora
