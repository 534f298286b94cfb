// The session bus module the desktop services are called through, against fake services on the
// test's private session bus (each test case runs in a bus of its own).

#include "Platform/linux/bus/SessionBus.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <utility>

#include "Platform/linux/bus/BusConnection.h"
#include "tests/Platform/linux/kde/FakeSessionService.h"

namespace tactora::lx {
namespace {

using namespace std::chrono_literals;
using test::FakeSessionService;

constexpr const char* serviceName = "com.vellumworks.Tactora.Test";
constexpr SessionBus::Method echo{serviceName, "/echo", "com.vellumworks.Tactora.Test", "Echo"};

// Answers Echo(text) with its text, after `delay` when the text is "slow"; refuses everything else.
void serveEcho(FakeSessionService& service) {
  service.handle("/echo", [](sd_bus_message* call, const FakeSessionService::Call& recorded) {
    if (recorded.member != "Echo" || recorded.arguments.size() != 1) {
      return sd_bus_reply_method_errorf(call, SD_BUS_ERROR_UNKNOWN_METHOD, "no such method");
    }
    if (recorded.arguments.front() == "slow") {
      std::this_thread::sleep_for(300ms);
    }
    return sd_bus_reply_method_return(call, "s", recorded.arguments.front().c_str());
  });
}

int callEcho(SessionBus& bus, const std::string& text, std::chrono::microseconds timeout,
             std::string* answer, const char* member = "Echo") {
  SessionBus::Method method = echo;
  method.member = member;
  return bus.call(
      method, timeout,
      [&text](sd_bus_message* request) {
        return sd_bus_message_append(request, "s", text.c_str());
      },
      [answer](sd_bus_message* reply) {
        const char* read = nullptr;
        const int result = sd_bus_message_read(reply, "s", &read);
        if (result >= 0) {
          *answer = read;
        }
        return result;
      });
}

std::chrono::steady_clock::duration timed(const std::function<void()>& action) {
  const auto start = std::chrono::steady_clock::now();
  action();
  return std::chrono::steady_clock::now() - start;
}

// KGlobalAccel gives up on a service that timed out or a missing bus, and asks again after any
// other failure: the three must stay apart.
TEST(SessionBus, TellsATimeoutFromARefusalAndFromAMissingBus) {
  SessionBus bus;
  std::string answer;
  const int unowned = callEcho(bus, "hello", 1s, &answer);
  EXPECT_LT(unowned, 0);
  EXPECT_NE(unowned, -ETIMEDOUT) << "nobody owns the name: the bus says so at once";
  {
    FakeSessionService hung(serviceName);  // owns the name, never answers
    ASSERT_TRUE(hung.ready());
    EXPECT_TRUE(bus.hasOwner(serviceName, 1s));
    int result = 0;
    auto elapsed = timed([&] { result = callEcho(bus, "hello", 100ms, &answer); });
    EXPECT_EQ(result, -ETIMEDOUT);
    EXPECT_GE(elapsed, 100ms);
    EXPECT_LT(elapsed, 1s);
    elapsed = timed([&] { result = callEcho(bus, "hello", 0ms, &answer); });
    EXPECT_EQ(result, -ETIMEDOUT);
    EXPECT_LT(elapsed, 1s) << "a timeout of zero is not the bus library's default of 25 s";
  }
  FakeSessionService service(serviceName);
  ASSERT_TRUE(service.ready());
  serveEcho(service);
  service.start();
  const int refused = callEcho(bus, "hello", 1s, &answer, "Shout");
  EXPECT_LT(refused, 0);
  EXPECT_NE(refused, -ETIMEDOUT);
  EXPECT_EQ(callEcho(bus, "hello", 1s, &answer), 0);
  EXPECT_EQ(answer, "hello");

  const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  const std::string saved = address != nullptr ? address : "";
  ::setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/tactora-test-bus", 1);
  SessionBus nowhere;
  EXPECT_EQ(callEcho(nowhere, "hello", 1s, &answer), -ENOTCONN);
  EXPECT_FALSE(nowhere.hasOwner(serviceName, 1s));
  ::setenv("DBUS_SESSION_BUS_ADDRESS", saved.c_str(), 1);
}

TEST(SessionBus, AReplyThatCameTooLateIsNotTakenForTheNextCallsAnswer) {
  FakeSessionService service(serviceName);
  ASSERT_TRUE(service.ready());
  serveEcho(service);
  service.start();
  SessionBus bus;
  std::string answer;
  EXPECT_EQ(callEcho(bus, "slow", 100ms, &answer), -ETIMEDOUT);
  EXPECT_EQ(callEcho(bus, "fast", 2s, &answer), 0);
  EXPECT_EQ(answer, "fast");
  EXPECT_EQ(callEcho(bus, "again", 2s, &answer), 0);
  EXPECT_EQ(answer, "again");
}

TEST(BusConnection, NamesTheOwnerOfANameAndRefusesWorkOnceMovedFrom) {
  auto connection = BusConnection::connect();
  ASSERT_TRUE(connection);
  EXPECT_EQ(connection->owner(serviceName, 1s), std::nullopt);

  FakeSessionService service(serviceName);
  ASSERT_TRUE(service.ready());
  const auto owner = connection->owner(serviceName, 1s);
  ASSERT_TRUE(owner);
  const char* ours = nullptr;
  ASSERT_GE(sd_bus_get_unique_name(connection->get(), &ours), 0);
  EXPECT_TRUE(owner->starts_with(":"));
  EXPECT_NE(*owner, ours);

  const BusConnection moved = std::move(*connection);
  EXPECT_TRUE(moved.isOpen());
  EXPECT_FALSE(connection->isOpen());
  EXPECT_EQ(connection->call(echo, 1s, nullptr, nullptr), -ENOTCONN);
  EXPECT_EQ(connection->owner(serviceName, 1s), std::nullopt);
  EXPECT_EQ(connection->process(), -ENOTCONN);
  EXPECT_EQ(moved.owner(serviceName, 1s), owner);
}

}  // namespace
}  // namespace tactora::lx
