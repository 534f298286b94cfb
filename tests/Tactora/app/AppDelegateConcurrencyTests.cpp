#include <atomic>
#include <latch>
#include <thread>

#include <gtest/gtest.h>

#include "ActionKit/SyntheticDrag.h"
#include "Tactora/app/AppFixture.h"

namespace tactora {
namespace {

class AppDelegateConcurrency : public testing::AppFixture {};

// Gestures are routed on the frame thread while the main thread flips the enabled switch, saves
// configurations and runs the main queue (the overlay). Nothing may race, and once the switch is
// off for good no synthetic button is left held.
TEST_F(AppDelegateConcurrency, RoutingRacesTheSwitchAndConfigurationSaves) {
  launch();
  // The threads start together and neither stops before the other has done a minimum of rounds,
  // so the routing and the main thread's changes overlap whatever the scheduler does.
  constexpr int minFrameRounds = 300;
  constexpr int minMainRounds = 20;
  std::latch start{2};
  std::atomic<int> mainRounds{0};
  std::atomic<bool> done{false};
  std::thread frames([&] {
    start.arrive_and_wait();
    for (int i = 0; i < minFrameRounds || mainRounds.load() < minMainRounds; ++i) {
      app->handleGesture(GestureEvent::dragBegan(10, 10));
      app->handleGesture(GestureEvent::dragMoved());
      app->handleGesture(GestureEvent::dragScrollMoved(0.5f, 1.0f));
      app->handleGesture(GestureEvent::tap(3));
      app->handleGesture(GestureEvent::dragEnded());
    }
    done = true;
  });
  start.arrive_and_wait();
  bool enabled = true;
  for (int round = 0; round < minMainRounds || !done; ++round) {
    enabled = !enabled;
    app->setEnabled(enabled);
    Configuration configuration = *app->configStore().current();
    configuration.tuning.dragScrollSensitivity = enabled ? 10.0f : 20.0f;
    app->configStore().save(configuration);
    sim->timeline().runDue();
    ++mainRounds;
  }
  frames.join();
  app->setEnabled(false);
  sim->timeline().runDue();
  EXPECT_FALSE(SyntheticDrag::shared().isDragging());
}

}  // namespace
}  // namespace tactora
