// KWin's commands through kglobalaccel, against a fake kglobalaccel on the test's private session
// bus (each test case runs in a bus of its own).

#include "Platform/linux/kde/KdeDesktop.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Platform/linux/kde/KGlobalAccel.h"
#include "tests/Platform/linux/kde/FakeSessionService.h"

namespace tactora::lx {
namespace {

using namespace std::chrono_literals;
using test::FakeSessionService;

const std::vector<std::string> kwinShortcuts{"Overview",
                                             "ExposeClass",
                                             "Show Desktop",
                                             "Switch One Desktop to the Left",
                                             "Switch One Desktop to the Right",
                                             "Window Close",
                                             "Walk Through Windows"};

// kglobalaccel's KWin component: lists `names` (or, when `canList` is false, does not know the
// method, as older services do) and accepts every invocation.
void serveKWinComponent(FakeSessionService& service, std::vector<std::string> names,
                        bool canList = true) {
  service.handle(KGlobalAccel::kwinComponent,
                 [names, canList](sd_bus_message* call, const FakeSessionService::Call& recorded) {
                   if (recorded.member == "shortcutNames" && canList) {
                     sd_bus_message* reply = nullptr;
                     sd_bus_message_new_method_return(call, &reply);
                     sd_bus_message_open_container(reply, 'a', "s");
                     for (const auto& name : names) {
                       sd_bus_message_append(reply, "s", name.c_str());
                     }
                     sd_bus_message_close_container(reply);
                     const int result = sd_bus_send(nullptr, reply, nullptr);
                     sd_bus_message_unref(reply);
                     return result;
                   }
                   if (recorded.member == "invokeShortcut") {
                     return sd_bus_reply_method_return(call, "");
                   }
                   return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_UNKNOWN_METHOD, "no %s",
                                                     recorded.member.c_str());
                 });
}

std::vector<std::string> invoked(const FakeSessionService& service) {
  std::vector<std::string> names;
  for (const auto& call : service.calls("invokeShortcut")) {
    names.push_back(call.arguments.empty() ? "?" : call.arguments.front());
  }
  return names;
}

TEST(KdeDesktop, EveryRequestRunsItsKWinShortcut) {
  FakeSessionService accel(KGlobalAccel::service);
  ASSERT_TRUE(accel.ready());
  serveKWinComponent(accel, kwinShortcuts);
  accel.start();

  auto functions = KdeDesktop::functions(std::make_shared<ApplicationIndex>());
  ASSERT_TRUE(functions.dockNotification);
  ASSERT_TRUE(functions.switchWorkspace);
  ASSERT_TRUE(functions.closeActiveWindow);
  EXPECT_FALSE(functions.workspaceBinding);
  EXPECT_FALSE(functions.frontApplication) << "no KWin on this bus";

  EXPECT_TRUE(functions.dockNotification(dockNotification::missionControl));
  EXPECT_TRUE(functions.dockNotification(dockNotification::appExpose));
  EXPECT_TRUE(functions.dockNotification(dockNotification::showDesktop));
  EXPECT_FALSE(functions.dockNotification("com.apple.launchpad.toggle"));
  EXPECT_TRUE(functions.switchWorkspace(WorkspaceDirection::left));
  EXPECT_TRUE(functions.switchWorkspace(WorkspaceDirection::right));
  EXPECT_TRUE(functions.closeActiveWindow());

  EXPECT_EQ(invoked(accel),
            (std::vector<std::string>{"Overview", "ExposeClass", "Show Desktop",
                                      "Switch One Desktop to the Left",
                                      "Switch One Desktop to the Right", "Window Close"}));
  EXPECT_NE(functions.dockNotificationSource.find("kglobalaccel"), std::string::npos);
}

TEST(KdeDesktop, OnlyShortcutsKWinListsAreInvokedUnlessItCannotListThem) {
  KGlobalAccel kglobalaccel(std::make_shared<SessionBus>());
  {
    FakeSessionService accel(KGlobalAccel::service);
    ASSERT_TRUE(accel.ready());
    serveKWinComponent(accel, {"Show Desktop"});  // a KWin without the overview effect
    accel.start();
    EXPECT_FALSE(kglobalaccel.invokeShortcut("Overview")) << "so the caller falls back";
    EXPECT_TRUE(kglobalaccel.invokeShortcut("Show Desktop"));
    EXPECT_EQ(invoked(accel), std::vector<std::string>{"Show Desktop"});
  }
  FakeSessionService older(KGlobalAccel::service);
  ASSERT_TRUE(older.ready());
  serveKWinComponent(older, {}, /*canList=*/false);
  older.start();
  EXPECT_TRUE(kglobalaccel.invokeShortcut("Overview"));
  EXPECT_EQ(invoked(older), std::vector<std::string>{"Overview"});
}

TEST(KdeDesktop, AHungServiceCostsNoMoreThanTheTimeout) {
  FakeSessionService hung(KGlobalAccel::service);  // owns the name, never answers
  ASSERT_TRUE(hung.ready());

  KGlobalAccel kglobalaccel(std::make_shared<SessionBus>(), 150ms);
  ASSERT_TRUE(kglobalaccel.isAvailable());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(kglobalaccel.invokeShortcut("Overview"));
  const auto elapsed = std::chrono::steady_clock::now() - start;
  EXPECT_GE(elapsed, 150ms);
  EXPECT_LT(elapsed, 290ms) << "one timeout, not one per call";
}

TEST(KdeDesktop, WithoutPlasmaOrWithoutABusNothingIsOffered) {
  auto functions = KdeDesktop::functions(std::make_shared<ApplicationIndex>());
  EXPECT_FALSE(functions.dockNotification);
  EXPECT_FALSE(functions.switchWorkspace);
  EXPECT_FALSE(functions.closeActiveWindow);
  EXPECT_FALSE(functions.frontApplication);

  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  const std::string saved = address != nullptr ? address : "";
  ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tactora-test-bus", 1);
  functions = KdeDesktop::functions(std::make_shared<ApplicationIndex>());
  EXPECT_FALSE(functions.dockNotification);
  EXPECT_FALSE(functions.frontApplication);
  EXPECT_FALSE(KGlobalAccel(std::make_shared<SessionBus>()).invokeShortcut("Overview"));
  ::setenv("DBUS_SESSION_BUS_ADDRESS", saved.c_str(), 1);
}

}  // namespace
}  // namespace tactora::lx
