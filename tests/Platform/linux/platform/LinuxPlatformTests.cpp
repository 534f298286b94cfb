#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "ActionKit/SystemBridgeActions.h"
#include "Platform/EventSource.h"
#include "Platform/Permissions.h"
#include "Platform/linux/platform/LinuxPlatform.h"
#include "Tactora/AppDelegate.h"
#include "tests/Platform/linux/x11/TemporaryDirectory.h"
#include "tests/Platform/linux/x11/TestClient.h"
#include "tests/Platform/linux/x11/XvfbSession.h"

namespace tactora::lx {
namespace {

LinuxPlatform::Options bareOptions(const test::TemporaryDirectory& folder) {
  LinuxPlatform::Options options;
  options.providerPath = TACTORA_MISSING_PROVIDER_PATH;
  options.useX11 = false;
  options.createVirtualDevices = false;
  options.configurationDirectory = (folder.path() / "Tactora").string();
  options.version = "0.1.0";
  DesktopServices::Session session;
  session.useSessionBus = false;
  options.session = session;
  return options;
}

// A machine with no X server, no uinput and no mouse: every service answers, the missing ones
// as missing, and the application launches and terminates on it.
TEST(LinuxPlatformBare, StartsWithMissingFunctionsAndNoEventSource) {
  test::TemporaryDirectory folder;
  auto platform = std::make_shared<LinuxPlatform>(bareOptions(folder));
  EXPECT_FALSE(platform->hasDisplay());
  EXPECT_FALSE(platform->tapsInstalled());
  EXPECT_FALSE(platform->events().createEventSource(platform::EventSourceStateID::hidSystemState));
  EXPECT_FALSE(platform->systemBridges().loadDockNotificationFunction());
  const auto hotKeys = platform->systemBridges().loadHotKeyFunctions();
  EXPECT_EQ(hotKeys.connectionID, 0u);
  EXPECT_FALSE(hotKeys.getValue);
  EXPECT_FALSE(hotKeys.setEnabled);

  auto& accessibility = platform->accessibility();
  const auto systemWide = accessibility.createSystemWide();
  ASSERT_TRUE(systemWide);
  std::shared_ptr<platform::AXElement> application;
  EXPECT_NE(accessibility.copyElementAttribute(*systemWide, "AXFocusedApplication", application),
            platform::AXError::success);
  EXPECT_FALSE(application);
  // The dispatcher's fallback (a posted shortcut) runs and posts nothing: no crash.
  closeFocusedWindow(*platform);
  switchSpace(*platform, CGSBridge(*platform), true);

  EXPECT_FALSE(platform->workspace().frontmostApplicationBundleIdentifier());
  EXPECT_FALSE(platform->workspace().openURL("not a url"));
  EXPECT_EQ(platform->workspace().applicationSupportDirectory(), folder.path().string());
  EXPECT_TRUE(platform->updater().start({}));
  EXPECT_EQ(platform->loginItems().mainAppStatus(), platform::LoginItemStatus::notRegistered);
  EXPECT_EQ(platform->loginItems().registerMainApp(), std::nullopt);
  EXPECT_EQ(platform->loginItems().mainAppStatus(), platform::LoginItemStatus::enabled);
  EXPECT_TRUE(std::filesystem::exists(folder.path() / "autostart/com.vellumworks.Tactora.desktop"));
  EXPECT_FALSE(platform->preferences().foreignInteger(
      "MouseTwoFingerDoubleTapGesture", "com.apple.driver.AppleBluetoothMultitouch.mouse"));
}

TEST(LinuxPlatformBare, PreferencesOutliveThePlatformAndAnUnreadableFileIsLeftAlone) {
  test::TemporaryDirectory folder;
  {
    LinuxPlatform platform(bareOptions(folder));
    platform.preferences().setString("kept", "one");
    platform.preferences().setString("dropped", "two");
    platform.preferences().removeObject("dropped");
  }
  {
    LinuxPlatform platform(bareOptions(folder));
    EXPECT_EQ(platform.preferences().string("kept"), "one");
    EXPECT_FALSE(platform.preferences().string("dropped"));
  }
  // Something there that cannot be read (a FIFO would even block a plain open) is never
  // written over.
  const auto file = folder.path() / "Tactora" / "preferences.json";
  std::filesystem::remove(file);
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  LinuxPlatform platform(bareOptions(folder));
  platform.preferences().setString("kept", "two");
  EXPECT_TRUE(std::filesystem::is_fifo(file));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(file.parent_path()), {}), 1)
      << "nothing else was written beside it";
}

TEST(LinuxPlatformBare, ApplicationLaunchesAndTerminates) {
  test::TemporaryDirectory folder;
  auto platform = std::make_shared<LinuxPlatform>(bareOptions(folder));
  platform::Platform::install(platform);
  AppDelegate::Options options;
  options.configDirectory = folder.path() / "Tactora";
  auto delegate = AppDelegate::create(*platform, options);
  auto& loop = platform->dispatch().main();
  loop.async([&] { delegate->applicationDidFinishLaunching(); });
  loop.async([&] {
    delegate->applicationWillTerminate();
    loop.stop();
  });
  loop.run();
}

// A private X desktop: the front application and closing its window go through the seam.
TEST(LinuxPlatformX11, FrontApplicationAndCloseWindowWorkThroughTheSeam) {
  if (!test::XvfbSession::installed()) {
    GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs it)";
  }
  const auto session = test::XvfbSession::start();
  ASSERT_NE(session, nullptr);
  auto client = test::TestClient::connect(session->displayName());
  ASSERT_NE(client, nullptr);
  test::TemporaryDirectory folder;
  folder.write("data/applications/org.example.Viewer.desktop",
               "[Desktop Entry]\nType=Application\nName=Viewer\n");
  ::setenv("XDG_DATA_HOME", (folder.path() / "data").c_str(), 1);
  ::setenv("XDG_DATA_DIRS", (folder.path() / "none").c_str(), 1);

  LinuxPlatform::Options options = bareOptions(folder);
  options.useX11 = true;
  options.displayName = session->displayName();
  LinuxPlatform platform(options);
  ASSERT_TRUE(platform.hasDisplay());

  const Window window = client->createWindow("viewer", "Viewer", "org.example.Viewer");
  ASSERT_TRUE(client->activate(window));
  EXPECT_TRUE(test::eventually([&] {
    return platform.workspace().frontmostApplicationBundleIdentifier() ==
           std::optional<std::string>("org.example.Viewer");
  }));
  EXPECT_EQ(platform.workspace().displayNameForBundleIdentifier("org.example.Viewer"), "Viewer");

  closeFocusedWindow(platform);
  EXPECT_TRUE(client->awaitDeleteWindow(window));
}

#ifdef TACTORA_EXECUTABLE
// Reads the child's output until `needle` shows or the deadline passes.
bool awaitOutput(int fd, const std::string& needle, std::chrono::seconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  std::string seen;
  while (seen.find(needle) == std::string::npos) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      return false;
    }
    pollfd ready{fd, POLLIN, 0};
    if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0) {
      continue;
    }
    char buffer[512];
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got <= 0) {
      return false;
    }
    seen.append(buffer, static_cast<std::size_t>(got));
  }
  return true;
}

// Waits for the child to end; its wait status, or nothing after the deadline.
std::optional<int> awaitExit(pid_t pid, std::chrono::seconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  while (std::chrono::steady_clock::now() < end) {
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      return status;
    }
    ::poll(nullptr, 0, 20);
  }
  return std::nullopt;
}

class HeadlessProgram : public testing::TestWithParam<const char*> {};

TEST_P(HeadlessProgram, EndsWithStatusZeroOnSigterm) {
  test::TemporaryDirectory folder;
  int output[2];
  ASSERT_EQ(::pipe2(output, O_CLOEXEC), 0);
  const std::string configHome = "XDG_CONFIG_HOME=" + folder.path().string();
  const pid_t pid = ::fork();
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    // The application logs its startup line on stderr once it has launched on the Linux
    // platform; windows render off screen, and no session bus is reached.
    ::dup2(output[1], STDERR_FILENO);
    ::unsetenv("DISPLAY");
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tactora-test-bus", 1);
    ::putenv(const_cast<char*>(configHome.c_str()));
    ::execl(TACTORA_EXECUTABLE, TACTORA_EXECUTABLE, "--provider", GetParam(),
            static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(output[1]);
  const bool started = awaitOutput(output[0], "startup: bundle=", std::chrono::seconds(30));
  ::kill(pid, SIGTERM);
  const auto status = awaitExit(pid, std::chrono::seconds(30));
  ::close(output[0]);
  if (!status) {
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
  }
  EXPECT_TRUE(started);
  ASSERT_TRUE(status) << "tactora did not end after SIGTERM";
  EXPECT_TRUE(WIFEXITED(*status));
  EXPECT_EQ(WEXITSTATUS(*status), 0);
}

INSTANTIATE_TEST_SUITE_P(Providers, HeadlessProgram,
                         testing::Values(TACTORA_SIM_PROVIDER_PATH, TACTORA_MISSING_PROVIDER_PATH));
#endif

}  // namespace
}  // namespace tactora::lx
