#include "Tactora/PermissionMonitor.h"

#include <gtest/gtest.h>

#include "Platform/sim/SimPlatform.h"

namespace tactora {
namespace {

using Status = PermissionMonitor::Status;

class PermissionMonitorTest : public ::testing::Test {
 protected:
  void SetUp() override { sim = sim::SimPlatform::install(); }
  std::shared_ptr<sim::SimPlatform> sim;
};

TEST_F(PermissionMonitorTest, RefreshMapsBothGrantsAndReportsOnlyChanges) {
  sim->permissions().setAccessibilityTrusted(false);
  sim->permissions().setInputMonitoringAccess(platform::Permissions::accessDenied);
  auto monitor = PermissionMonitor::create(*sim);
  EXPECT_EQ(monitor->accessibility(), Status::denied);
  EXPECT_EQ(monitor->inputMonitoring(), Status::denied);

  int changes = 0;
  monitor->setOnChange([&] { ++changes; });
  monitor->refresh();
  EXPECT_EQ(changes, 0);

  sim->permissions().setInputMonitoringAccess(platform::Permissions::accessUnknown);
  monitor->refresh();
  EXPECT_EQ(monitor->inputMonitoring(), Status::notDetermined);
  sim->permissions().setInputMonitoringAccess(-5);
  monitor->refresh();  // still "anything else"
  sim->permissions().setAccessibilityTrusted(true);
  sim->permissions().setInputMonitoringAccess(platform::Permissions::accessGranted);
  monitor->refresh();
  EXPECT_EQ(monitor->accessibility(), Status::granted);
  EXPECT_EQ(monitor->inputMonitoring(), Status::granted);
  EXPECT_EQ(changes, 2);
}

TEST_F(PermissionMonitorTest, PollingNoticesAGrantWithinASecondAndStopsWhenAsked) {
  sim->permissions().setAccessibilityTrusted(false);
  auto monitor = PermissionMonitor::create(*sim);
  int changes = 0;
  monitor->setOnChange([&] { ++changes; });
  monitor->startPolling(1.0);
  monitor->startPolling(1.0);  // replaces, never adds a second timer

  sim->permissions().setAccessibilityTrusted(true);
  sim->timeline().advanceBy(1.0);
  EXPECT_EQ(monitor->accessibility(), Status::granted);
  EXPECT_EQ(changes, 1);

  monitor->stopPolling();
  EXPECT_FALSE(monitor->isPolling());
  sim->permissions().setAccessibilityTrusted(false);
  sim->timeline().advanceBy(5.0);
  EXPECT_EQ(monitor->accessibility(), Status::granted);

  // Becoming active still refreshes.
  sim->workspace().postDidBecomeActive();
  sim->timeline().runDue();
  EXPECT_EQ(monitor->accessibility(), Status::denied);
  EXPECT_EQ(changes, 2);

  // The timer and the notification find a monitor that is gone and do nothing.
  monitor->startPolling(1.0);
  monitor.reset();
  sim->workspace().postDidBecomeActive();
  sim->timeline().advanceBy(3.0);
}

}  // namespace
}  // namespace tactora
