#include "ActionKit/SyntheticDrag.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SimActionFixture.h"

namespace tactora {
namespace {

using Lines = std::vector<std::string>;

class SyntheticDragTest : public testing::SimActionTest {
 protected:
  SyntheticDrag& drag = SyntheticDrag::shared();
};

TEST_F(SyntheticDragTest, FollowingAndNudgingChainTheirDeltasFromTheLastPostedPosition) {
  sim->events().setPointer({50, 50});
  drag.begin(std::nullopt);  // at the pointer
  drag.moveBy(1.6, -0.4);
  sim->events().setPointer({60.5, 49.5});
  drag.followCursor();     // measured from the nudged position, not the pointer's last one
  drag.moveBy(-2.5, 2.5);  // halves round away from zero
  drag.end();

  EXPECT_EQ(posted(), (Lines{"leftMouseDown (50, 50) button 0 click 1 delta (0, 0) marked",
                             "leftMouseDragged (51.6, 49.6) button 0 click 1 delta (2, 0) marked",
                             "leftMouseDragged (60.5, 49.5) button 0 click 1 delta (9, 0) marked",
                             "leftMouseDragged (58, 52) button 0 click 1 delta (-3, 3) marked",
                             "leftMouseUp (60.5, 49.5) button 0 click 1 delta (3, -3) marked"}));
}

TEST_F(SyntheticDragTest, BeginAtAPointAndOperationsOutsideTheirStateAreIgnored) {
  drag.followCursor();
  drag.moveBy(5, 5);
  drag.end();
  drag.begin(platform::Point{100, 200});
  drag.begin(platform::Point{90, 90});  // a second begin keeps the first drag
  sim->events().setPointer({103, 198});
  drag.end();
  drag.end();
  EXPECT_EQ(posted(), (Lines{"leftMouseDown (100, 200) button 0 click 1 delta (0, 0) marked",
                             "leftMouseUp (103, 198) button 0 click 1 delta (3, -2) marked"}));
  // The release leaves the last position where the drag was last posted.
  EXPECT_EQ(drag.lastPosition(), (platform::Point{100, 200}));
}

TEST_F(SyntheticDragTest, WithoutASourceTheStateStillChangesButNothingIsPosted) {
  sim->events().setEventSourceAvailable(false);
  SyntheticDrag own(*sim);
  own.begin(platform::Point{1, 1});
  own.moveBy(3, 3);
  EXPECT_EQ(own.lastPosition(), (platform::Point{4, 4}));
  own.end();
  EXPECT_FALSE(own.isDragging());
  EXPECT_EQ(posted(), Lines{});
}

}  // namespace
}  // namespace tactora
