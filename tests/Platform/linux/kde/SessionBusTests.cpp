// The session bus the desktop services are called through, against the KDE session's real
// kglobalaccel and, on a bus of its own, a connection that owns names and never answers: a hung
// service, which no real one can be made to be.

#include "Platform/linux/bus/SessionBus.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <cerrno>
#include <chrono>
#include <functional>
#include <string>

#include "Platform/linux/kde/KGlobalAccel.h"
#include "tests/support/desktop/DesktopSession.h"

namespace tactora::lx {
namespace {

using namespace std::chrono_literals;

constexpr SessionBus::Method unowned{"com.vellumworks.Tactora.Test", "/", "org.example.Test",
                                     "Hello"};
constexpr SessionBus::Method unknownMethod{KGlobalAccel::service, KGlobalAccel::kwinComponent,
                                           "org.kde.kglobalaccel.Component", "NoSuchMethod"};

std::chrono::steady_clock::duration timed(const std::function<void()>& action) {
  const auto start = std::chrono::steady_clock::now();
  action();
  return std::chrono::steady_clock::now() - start;
}

// KGlobalAccel gives up on a service that timed out or a missing bus, and asks again after any
// other failure: the three must stay apart.
TEST(SessionBus, TellsARefusalFromAMissingBus) {
  SessionBus bus;
  const int refused = bus.call(unknownMethod, 2s, nullptr, nullptr);
  EXPECT_LT(refused, 0);
  EXPECT_NE(refused, -ETIMEDOUT);
  const int noOwner = bus.call(unowned, 2s, nullptr, nullptr);
  EXPECT_LT(noOwner, 0);
  EXPECT_NE(noOwner, -ETIMEDOUT) << "nobody owns the name: the bus says so at once";
  EXPECT_TRUE(KGlobalAccel(std::make_shared<SessionBus>()).shortcutNames());

  const std::string saved = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tactora-test-bus", 1);
  SessionBus nowhere;
  EXPECT_EQ(nowhere.call(unowned, 1s, nullptr, nullptr), -ENOTCONN);
  EXPECT_FALSE(nowhere.hasOwner(KGlobalAccel::service, 1s));
  EXPECT_FALSE(KGlobalAccel(std::make_shared<SessionBus>()).invokeShortcut("Overview"));
  ::setenv("DBUS_SESSION_BUS_ADDRESS", saved.c_str(), 1);
}

TEST(SessionBus, AHungServiceCostsEachCallerOneTimeout) {
  std::string error;
  auto other = testing::DesktopSession::create({}, &error);
  ASSERT_TRUE(other) << error;
  other->enter();  // until it is dropped
  auto hung = BusConnection::connect();
  ASSERT_TRUE(hung);
  for (const char* name : {unowned.destination, KGlobalAccel::service}) {
    ASSERT_GE(sd_bus_request_name(hung->get(), name, 0), 0);
  }

  SessionBus bus;
  int result = 0;
  auto elapsed = timed([&] { result = bus.call(unowned, 100ms, nullptr, nullptr); });
  EXPECT_EQ(result, -ETIMEDOUT);
  EXPECT_GE(elapsed, 100ms);
  EXPECT_LT(elapsed, 1s);
  elapsed = timed([&] { result = bus.call(unowned, 0ms, nullptr, nullptr); });
  EXPECT_EQ(result, -ETIMEDOUT);
  EXPECT_LT(elapsed, 1s) << "a timeout of zero is not the bus library's default of 25 s";

  KGlobalAccel kglobalaccel(std::make_shared<SessionBus>(), 150ms);
  ASSERT_TRUE(kglobalaccel.isAvailable());
  elapsed = timed([&] { EXPECT_FALSE(kglobalaccel.invokeShortcut("Overview")); });
  EXPECT_GE(elapsed, 150ms);
  EXPECT_LT(elapsed, 290ms) << "one timeout, not one per call";
}

}  // namespace
}  // namespace tactora::lx
