// The sleep watcher against a private message bus standing in for the system bus (logind itself
// does not run here): a test client owns logind's name there and announces a suspend and a resume.

#include "Platform/linux/sleep/LogindSleepWatcher.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <atomic>
#include <cstdlib>
#include <memory>
#include <string>

#include "Platform/Log.h"
#include "support/CapturingLogSink.h"
#include "tests/support/desktop/DesktopSession.h"

namespace tactora::lx {
namespace {

using testing::eventually;

// A client of the private bus that owns logind's name, as logind does on a real system.
class FakeLogind {
 public:
  explicit FakeLogind(const std::string& address) {
    if (sd_bus_new(&bus_) < 0 || sd_bus_set_address(bus_, address.c_str()) < 0 ||
        sd_bus_set_bus_client(bus_, 1) < 0 || sd_bus_start(bus_) < 0 ||
        sd_bus_request_name(bus_, "org.freedesktop.login1", 0) < 0) {
      return;
    }
    ready_ = true;
  }
  ~FakeLogind() { sd_bus_flush_close_unref(bus_); }
  FakeLogind(const FakeLogind&) = delete;
  FakeLogind& operator=(const FakeLogind&) = delete;

  bool ready() const { return ready_; }
  bool prepareForSleep(bool sleeping) {
    return sd_bus_emit_signal(bus_, "/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                              "PrepareForSleep", "b", static_cast<int>(sleeping)) >= 0 &&
           sd_bus_flush(bus_) >= 0;
  }

 private:
  sd_bus* bus_ = nullptr;
  bool ready_ = false;
};

class LogindSleepWatcherTest : public ::testing::Test {
 protected:
  void SetUp() override { previousSink_ = platform::Log::setSink(log_); }
  void TearDown() override { platform::Log::setSink(previousSink_); }

  std::shared_ptr<platform::CapturingLogSink> log_ = std::make_shared<platform::CapturingLogSink>();
  std::shared_ptr<platform::LogSink> previousSink_;
  std::atomic<int> wakes_{0};
};

TEST_F(LogindSleepWatcherTest, OnlyTheResumeAfterASuspendCallsBack) {
  std::string error;
  const auto session = testing::DesktopSession::create({}, &error);
  ASSERT_NE(session, nullptr) << error;
  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", session->busAddress().c_str(), 1);
  FakeLogind logind(session->busAddress());
  ASSERT_TRUE(logind.ready());
  {
    LogindSleepWatcher watcher([this] { ++wakes_; });
    ASSERT_TRUE(eventually([&] { return watcher.isSubscribed(); }));

    ASSERT_TRUE(logind.prepareForSleep(true));
    ASSERT_TRUE(logind.prepareForSleep(false));
    ASSERT_TRUE(eventually([&] { return watcher.signalsHandled() == 2; }));
    EXPECT_EQ(wakes_, 1) << "one callback, for the resume only";

    // A second sleep is noticed as well.
    ASSERT_TRUE(logind.prepareForSleep(true));
    ASSERT_TRUE(logind.prepareForSleep(false));
    ASSERT_TRUE(eventually([&] { return watcher.signalsHandled() == 4; }));
    EXPECT_EQ(wakes_, 2);
    EXPECT_FALSE(watcher.hasEnded());
  }
  EXPECT_TRUE(log_->lines().empty());
}

TEST_F(LogindSleepWatcherTest, WithoutASystemBusOneLineIsLoggedAndNothingWakes) {
  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=/nonexistent/tactora-test-bus", 1);
  {
    LogindSleepWatcher watcher([this] { ++wakes_; });
    ASSERT_TRUE(eventually([&] { return watcher.hasEnded(); }));
    EXPECT_FALSE(watcher.isSubscribed());
  }
  EXPECT_EQ(wakes_, 0);
  ASSERT_EQ(log_->lines().size(), 1u);
  EXPECT_NE(log_->lines()[0].message.find("no system bus"), std::string::npos)
      << log_->lines()[0].message;
}

}  // namespace
}  // namespace tactora::lx
