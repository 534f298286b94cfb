#include "ActionKit/SyntheticScroll.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "SimActionFixture.h"

namespace tactora {
namespace {

using Lines = std::vector<std::string>;

class SyntheticScrollTest : public testing::SimActionTest {
 protected:
  std::shared_ptr<SyntheticScroll> scroller = SyntheticScroll::create(*sim);

  void advanceToTick(int tick) { sim->timeline().advanceTo((tick + 0.5) / 60.0); }
};

TEST_F(SyntheticScrollTest, AmountsRoundHalvesAwayFromZeroInPixels) {
  scroller->scroll(0.4f, -0.4f);  // both round to 0: nothing
  scroller->scroll(0.5f, 0);
  scroller->scroll(-1.5f, 2.49f);
  scroller->scroll(3e10f, -3e10f);  // clamped to the wheel range
  scroller->scroll(std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity());
  EXPECT_EQ(posted(), (Lines{"scrollWheel vertical 0 horizontal 1 marked",
                             "scrollWheel vertical 2 horizontal -2 marked",
                             "scrollWheel vertical -2147483648 horizontal 2147483647 marked"}));
  EXPECT_EQ(sim->events().posted()[0].event.integerValueField(
                platform::EventField::scrollWheelEventIsContinuous),
            1);
}

TEST_F(SyntheticScrollTest, MomentumDecaysAndStopsOnTheTickWhereSpeedReachesSixPixelsPerSecond) {
  scroller->startMomentum(100, 0);
  advanceToTick(1);
  // 100 × 0.93 / 60 = 1.55 px on the first tick.
  EXPECT_EQ(posted(), (Lines{"scrollWheel vertical 0 horizontal 2 marked"}));
  advanceToTick(16);
  EXPECT_EQ(posted().size(), 16u);
  // Below 30 px/s a step rounds to nothing, but the momentum runs on until 6 px/s.
  advanceToTick(38);
  EXPECT_EQ(posted().size(), 16u);
  EXPECT_TRUE(scroller->isMomentumRunning());
  advanceToTick(39);
  EXPECT_FALSE(scroller->isMomentumRunning());
  EXPECT_EQ(sim->timeline().nextDueTime(), std::nullopt);

  scroller->startMomentum(6, 0);
  EXPECT_FALSE(scroller->isMomentumRunning());
  scroller->startMomentum(-4.5f, 4.5f);  // 6.36 px/s combined
  EXPECT_TRUE(scroller->isMomentumRunning());
}

TEST_F(SyntheticScrollTest, AScrollOrANewMomentumStopsTheRunningOne) {
  scroller->startMomentum(600, 0);
  advanceToTick(1);
  scroller->startMomentum(0, -600);
  sim->timeline().advanceBy(1.0 / 60 + 0.001);
  scroller->scroll(0, 4);
  EXPECT_FALSE(scroller->isMomentumRunning());
  sim->timeline().advanceBy(1);
  EXPECT_EQ(posted(), (Lines{"scrollWheel vertical 0 horizontal 9 marked",
                             "scrollWheel vertical -9 horizontal 0 marked",
                             "scrollWheel vertical 4 horizontal 0 marked"}));

  // A scroller that is gone stops its momentum.
  scroller->startMomentum(600, 0);
  scroller.reset();
  sim->timeline().advanceBy(1);
  EXPECT_EQ(posted().size(), 3u);
  EXPECT_EQ(sim->timeline().nextDueTime(), std::nullopt);
}

}  // namespace
}  // namespace tactora
