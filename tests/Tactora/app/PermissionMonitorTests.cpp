#include "Tactora/PermissionMonitor.h"

#include <gtest/gtest.h>

#include "Platform/sim/SimPlatform.h"

namespace tactora {
namespace {

using Status = PermissionMonitor::Status;

// Both grants are mapped and only changes are reported; polling (one timer however often it is
// started) and becoming active notice a change, and a monitor that is gone ignores both.
TEST(PermissionMonitor, ReportsOnlyChangesFoundByPollingOrActivation) {
  auto sim = sim::SimPlatform::install();
  sim->permissions().setAccessibilityTrusted(false);
  sim->permissions().setInputMonitoringAccess(platform::Permissions::accessDenied);
  auto monitor = PermissionMonitor::create(*sim);
  EXPECT_EQ(monitor->inputMonitoring(), Status::denied);
  int changes = 0;
  monitor->setOnChange([&] { ++changes; });
  monitor->refresh();
  sim->permissions().setInputMonitoringAccess(platform::Permissions::accessUnknown);
  monitor->refresh();
  EXPECT_EQ(monitor->inputMonitoring(), Status::notDetermined);
  sim->permissions().setInputMonitoringAccess(-5);  // still "anything else"
  monitor->startPolling(1.0);
  monitor->startPolling(1.0);
  sim->permissions().setAccessibilityTrusted(true);
  sim->timeline().advanceBy(1.0);
  EXPECT_EQ(monitor->accessibility(), Status::granted);
  EXPECT_EQ(changes, 2);
  monitor->stopPolling();
  sim->permissions().setAccessibilityTrusted(false);
  sim->timeline().advanceBy(5.0);
  EXPECT_EQ(monitor->accessibility(), Status::granted);
  sim->workspace().postDidBecomeActive();
  sim->timeline().runDue();
  EXPECT_EQ(monitor->accessibility(), Status::denied);
  EXPECT_EQ(changes, 3);
  monitor->startPolling(1.0);
  monitor.reset();
  sim->workspace().postDidBecomeActive();
  sim->timeline().advanceBy(3.0);
}

}  // namespace
}  // namespace tactora
