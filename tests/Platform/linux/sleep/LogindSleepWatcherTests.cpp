// The sleep watcher against a private message bus standing in for the system bus: a test client
// owns logind's name there and announces a suspend and a resume.

#include "Platform/linux/sleep/LogindSleepWatcher.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <systemd/sd-bus.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "Platform/Log.h"
#include "support/CapturingLogSink.h"

extern char** environ;

namespace tactora::lx {
namespace {

using namespace std::chrono_literals;

// Polls `condition` until it holds or a generous deadline passes (a loaded machine is slow).
bool eventually(const std::function<bool()>& condition) {
  const auto deadline = std::chrono::steady_clock::now() + 30s;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > deadline) {
      return false;
    }
    std::this_thread::sleep_for(5ms);
  }
  return true;
}

// A dbus-daemon of its own, made the system bus of this process; stopped on destruction.
class PrivateSystemBus {
 public:
  PrivateSystemBus() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
      return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    char program[] = "dbus-daemon";
    char session[] = "--session";
    char print[] = "--print-address";
    char nofork[] = "--nofork";
    char* argv[] = {program, session, print, nofork, nullptr};
    if (posix_spawnp(&pid_, program, &actions, nullptr, argv, environ) != 0) {
      pid_ = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    // The daemon prints its address once it listens.
    char c = 0;
    while (pid_ > 0 && ::read(fds[0], &c, 1) == 1 && c != '\n') {
      address_ += c;
    }
    ::close(fds[0]);
    if (!address_.empty()) {
      ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
    }
  }
  ~PrivateSystemBus() {
    if (pid_ > 0) {
      ::kill(pid_, SIGTERM);
      ::waitpid(pid_, nullptr, 0);
    }
  }
  PrivateSystemBus(const PrivateSystemBus&) = delete;
  PrivateSystemBus& operator=(const PrivateSystemBus&) = delete;

  bool running() const { return !address_.empty(); }
  const std::string& address() const { return address_; }

 private:
  pid_t pid_ = -1;
  std::string address_;
};

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
  PrivateSystemBus bus;
  if (!bus.running()) {
    GTEST_SKIP() << "dbus-daemon is not available";
  }
  FakeLogind logind(bus.address());
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
