#include "tests/support/desktop/PrivateSystemBus.h"

#include <stdlib.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

#include "tests/support/desktop/DesktopSession.h"

namespace tactora::testing {

namespace {

constexpr const char* configuration = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=@SOCKET@</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_type="method_return"/>
    <allow send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="signal"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
  </policy>
</busconfig>
)";

}  // namespace

std::unique_ptr<PrivateSystemBus> PrivateSystemBus::start(std::string* error) {
  std::unique_ptr<PrivateSystemBus> bus(new PrivateSystemBus);
  char folder[] = "/tmp/tactora-system-bus-XXXXXX";
  if (::mkdtemp(folder) == nullptr) {
    *error = "no temporary folder for the system bus";
    return nullptr;
  }
  bus->folder_ = folder;
  const auto socket = bus->folder_ / "system_bus_socket";
  std::string text = configuration;
  text.replace(text.find("@SOCKET@"), 8, socket.string());
  std::ofstream(bus->folder_ / "system.conf") << text;
  ProcessOptions options;
  options.environment = currentEnvironment();
  bus->daemon_ = ChildProcess::start(
      {"dbus-daemon", "--config-file=" + (bus->folder_ / "system.conf").string(), "--nofork",
       "--nopidfile"},
      options, error);
  if (!bus->daemon_) {
    return nullptr;
  }
  if (!eventually([&] { return std::filesystem::exists(socket); }, std::chrono::seconds(10))) {
    *error = "the private system bus did not start within 10 s";
    return nullptr;
  }
  bus->address_ = "unix:path=" + socket.string();
  return bus;
}

void PrivateSystemBus::enter() {
  if (!entered_) {
    entered_ = true;
    if (const char* value = std::getenv("DBUS_SYSTEM_BUS_ADDRESS")) {
      savedAddress_ = value;
    }
  }
  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", address_.c_str(), 1);
}

PrivateSystemBus::~PrivateSystemBus() {
  if (daemon_) {
    daemon_->stop(std::chrono::seconds(3));
  }
  if (entered_) {
    if (savedAddress_) {
      ::setenv("DBUS_SYSTEM_BUS_ADDRESS", savedAddress_->c_str(), 1);
    } else {
      ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

}  // namespace tactora::testing
