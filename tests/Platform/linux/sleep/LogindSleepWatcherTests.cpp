// The sleep watcher against a private message bus standing in for the system bus (logind itself
// does not run here): a test client owns logind's name there and announces a suspend and a resume.

#include "Platform/linux/sleep/LogindSleepWatcher.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <atomic>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

#include "Platform/Log.h"
#include "Platform/linux/bus/BusConnection.h"
#include "support/CapturingLogSink.h"
#include "tests/support/desktop/DesktopSession.h"

namespace tactora::lx {
namespace {

using testing::eventually;

// On a private bus where a client owns logind's name, only the resume after a suspend calls back;
// without a system bus, one line is logged and nothing wakes.
TEST(LogindSleepWatcher, OnlyTheResumeAfterASuspendCallsBackAndNoBusIsOneLine) {
  const auto log = std::make_shared<platform::CapturingLogSink>();
  const auto previousSink = platform::Log::setSink(log);
  std::atomic<int> wakes = 0;
  std::string error;
  const auto session = testing::DesktopSession::create({}, &error);
  ASSERT_NE(session, nullptr) << error;
  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", session->busAddress().c_str(), 1);
  const auto logind = BusConnection::connectSystem();
  ASSERT_TRUE(logind);
  ASSERT_GE(sd_bus_request_name(logind->get(), "org.freedesktop.login1", 0), 0);
  const auto prepareForSleep = [&](bool sleeping) {
    return sd_bus_emit_signal(logind->get(), "/org/freedesktop/login1",
                              "org.freedesktop.login1.Manager", "PrepareForSleep", "b",
                              static_cast<int>(sleeping)) >= 0 &&
           sd_bus_flush(logind->get()) >= 0;
  };
  {
    LogindSleepWatcher watcher([&] { ++wakes; });
    ASSERT_TRUE(eventually([&] { return watcher.isSubscribed(); }));
    for (std::uint64_t sleeps = 1; sleeps <= 2; ++sleeps) {
      ASSERT_TRUE(prepareForSleep(true) && prepareForSleep(false));
      ASSERT_TRUE(eventually([&] { return watcher.signalsHandled() == 2 * sleeps; }));
      EXPECT_EQ(static_cast<std::uint64_t>(wakes), sleeps) << "one callback for each resume only";
    }
    EXPECT_FALSE(watcher.hasEnded());
  }
  EXPECT_TRUE(log->lines().empty());

  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tactora-test-bus", 1);
  {
    LogindSleepWatcher watcher([&] { ++wakes; });
    ASSERT_TRUE(eventually([&] { return watcher.hasEnded(); }));
    EXPECT_FALSE(watcher.isSubscribed());
  }
  EXPECT_EQ(wakes, 2);
  ASSERT_EQ(log->lines().size(), 1u);
  EXPECT_THAT(log->lines()[0].message, ::testing::HasSubstr("no system bus"));
  platform::Log::setSink(previousSink);
}

}  // namespace
}  // namespace tactora::lx
