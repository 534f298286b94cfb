// GNOME Shell, its overview and our extension, against a fake shell on the private session bus
// that dbus-run-session gives each test.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "Platform/linux/gnome/FakeGnomeShell.h"
#include "Platform/linux/gnome/GnomeDesktop.h"
#include "Platform/linux/gnome/GnomeExtensionClient.h"
#include "Platform/linux/gnome/GnomeShell.h"

namespace tactora::lx {
namespace {

using namespace std::chrono_literals;
using test::FakeGnomeShell;

class GnomeShellBusTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS") == nullptr) {
      GTEST_SKIP() << "needs a private session bus: run inside dbus-run-session";
    }
  }

  std::shared_ptr<SessionBus> bus_ = std::make_shared<SessionBus>();
};

using GnomeShellTest = GnomeShellBusTest;
using GnomeExtensionClientTest = GnomeShellBusTest;
using GnomeExtensionClientConcurrency = GnomeShellBusTest;

TEST_F(GnomeShellTest, TogglingOpensTheOverviewWhenClosedAndClosesItWhenOpen) {
  GnomeShell shell(bus_);
  EXPECT_FALSE(shell.isRunning());
  EXPECT_EQ(shell.overviewActive(), std::nullopt);
  EXPECT_FALSE(shell.toggleOverview()) << "no shell, nothing toggled";

  FakeGnomeShell fake;
  ASSERT_TRUE(fake.ready());
  EXPECT_TRUE(shell.isRunning());
  EXPECT_EQ(shell.overviewActive(), false);
  EXPECT_TRUE(shell.toggleOverview());
  EXPECT_TRUE(fake.overviewActive());
  EXPECT_TRUE(shell.toggleOverview());
  EXPECT_FALSE(fake.overviewActive());

  // The shell's own state decides, also when someone else opened the overview.
  fake.setOverviewActive(true);
  EXPECT_TRUE(shell.toggleOverview());
  EXPECT_FALSE(fake.overviewActive());
}

TEST_F(GnomeExtensionClientTest, TellsTheFocusedApplicationsDesktopIdAndClosesItsWindow) {
  FakeGnomeShell fake;
  ASSERT_TRUE(fake.ready());
  GnomeExtensionClient extension(bus_);
  EXPECT_TRUE(extension.available());

  fake.setFocusedApplication("org.gnome.TextEditor");
  EXPECT_EQ(extension.focusedApplication(), "org.gnome.TextEditor");
  fake.setFocusedApplication("org.mozilla.firefox.desktop");
  EXPECT_EQ(extension.focusedApplication(), "org.mozilla.firefox");
  fake.setFocusedApplication("");
  EXPECT_EQ(extension.focusedApplication(), std::nullopt) << "no focused window";
  fake.setFocusedApplication("window:17");
  EXPECT_EQ(extension.focusedApplication(), std::nullopt) << "a window no application claims";
  fake.setFocusedApplication(".desktop");
  EXPECT_EQ(extension.focusedApplication(), std::nullopt);

  EXPECT_TRUE(extension.closeFocusedWindow());
  EXPECT_EQ(fake.closeRequests(), 1);
  fake.setFocusedWindowClosable(false);
  EXPECT_FALSE(extension.closeFocusedWindow()) << "nothing closed, so the caller falls back";
}

TEST_F(GnomeExtensionClientTest, AShellWithoutTheExtensionAnswersNothingForIt) {
  FakeGnomeShell fake({.extension = false});
  ASSERT_TRUE(fake.ready());
  GnomeExtensionClient extension(bus_);
  EXPECT_FALSE(extension.available());
  EXPECT_EQ(extension.focusedApplication(), std::nullopt);
  EXPECT_FALSE(extension.closeFocusedWindow());
  EXPECT_TRUE(GnomeShell(bus_).toggleOverview()) << "the shell itself still answers";
}

TEST_F(GnomeExtensionClientTest, AShellThatNeverAnswersHoldsACallerOnlyForTheTimeout) {
  FakeGnomeShell fake({.answers = false});
  ASSERT_TRUE(fake.ready());
  constexpr auto timeout = 100ms;
  GnomeExtensionClient extension(bus_, timeout);
  GnomeShell shell(bus_, timeout);

  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(extension.focusedApplication(), std::nullopt);
  EXPECT_FALSE(extension.closeFocusedWindow());
  EXPECT_FALSE(shell.toggleOverview());
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, 3 * timeout);
  EXPECT_LT(elapsed, 3 * timeout + 500ms);
}

TEST_F(GnomeExtensionClientConcurrency, ThreadsCallingAtOnceEachGetTheirOwnAnswer) {
  FakeGnomeShell fake;
  ASSERT_TRUE(fake.ready());
  fake.setFocusedApplication("org.gnome.Nautilus");
  const GnomeExtensionClient extension(bus_, 2s);
  const GnomeShell shell(bus_, 2s);

  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (std::size_t t = 0; t < wrong.size(); ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 25; ++i) {
        if (t % 2 == 0 ? extension.focusedApplication() != "org.gnome.Nautilus"
                       : !shell.overviewActive().has_value()) {
          ++wrong[t];
        }
      }
    });
  }
  for (auto& thread : threads) {
    thread.join();
  }
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

// Each function is offered only while the service behind it answers, with its source named.
TEST_F(GnomeShellTest, TheDesktopFunctionsFollowTheServicesThatAnswer) {
  const auto keybindings = std::make_shared<const GnomeKeybindings>();
  {
    const DesktopFunctions functions = GnomeDesktop::functions(bus_, keybindings);
    EXPECT_FALSE(functions.dockNotification) << "no shell";
    EXPECT_FALSE(functions.frontApplication);
    EXPECT_FALSE(functions.closeActiveWindow);
  }
  {
    FakeGnomeShell fake({.extension = false});
    ASSERT_TRUE(fake.ready());
    const DesktopFunctions functions = GnomeDesktop::functions(bus_, keybindings);
    ASSERT_TRUE(functions.dockNotification);
    EXPECT_EQ(functions.dockNotificationSource, GnomeDesktop::overviewSource);
    EXPECT_FALSE(functions.frontApplication) << "no extension";
    EXPECT_FALSE(functions.closeActiveWindow);

    EXPECT_TRUE(functions.dockNotification(dockNotification::missionControl));
    EXPECT_TRUE(fake.overviewActive());
    EXPECT_TRUE(functions.dockNotification(dockNotification::appExpose));
    EXPECT_FALSE(fake.overviewActive());
    EXPECT_FALSE(functions.dockNotification(dockNotification::showDesktop));
    EXPECT_FALSE(functions.dockNotification("com.apple.launchpad.toggle"));
    EXPECT_FALSE(fake.overviewActive());
  }
  {
    FakeGnomeShell fake;
    ASSERT_TRUE(fake.ready());
    fake.setFocusedApplication("org.gnome.Terminal.desktop");
    const DesktopFunctions functions = GnomeDesktop::functions(bus_, keybindings);
    ASSERT_TRUE(functions.frontApplication);
    ASSERT_TRUE(functions.closeActiveWindow);
    EXPECT_EQ(functions.frontApplicationSource, GnomeDesktop::extensionSource);
    EXPECT_EQ(functions.closeActiveWindowSource, GnomeDesktop::extensionSource);
    EXPECT_EQ(functions.frontApplication(), "org.gnome.Terminal");
    EXPECT_TRUE(functions.closeActiveWindow());
    EXPECT_EQ(fake.closeRequests(), 1);
  }
}

}  // namespace
}  // namespace tactora::lx
