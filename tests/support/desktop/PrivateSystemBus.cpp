#include "tests/support/desktop/PrivateSystemBus.h"

#include <stdlib.h>

#include <chrono>
#include <fstream>

#include "tests/support/desktop/DesktopSession.h"

namespace tactora::testing {

std::unique_ptr<PrivateSystemBus> PrivateSystemBus::start(std::string* error) {
  auto bus = std::make_unique<PrivateSystemBus>();
  char folder[] = "/tmp/tactora-system-bus-XXXXXX";
  if (::mkdtemp(folder) == nullptr) {
    *error = "no temporary folder for the system bus";
    return nullptr;
  }
  bus->folder_ = folder;
  const auto socket = bus->folder_ / "system_bus_socket";
  std::ofstream(bus->folder_ / "system.conf")
      << "<busconfig><type>system</type><listen>unix:path=" << socket.string()
      << "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow user=\"*\"/>"
         "<allow own=\"*\"/><allow send_destination=\"*\"/><allow receive_sender=\"*\"/>"
         "</policy></busconfig>\n";
  ProcessOptions options;
  options.environment = currentEnvironment();
  bus->daemon_ = ChildProcess::start(
      {"dbus-daemon", "--config-file=" + (bus->folder_ / "system.conf").string(), "--nofork",
       "--nopidfile"},
      options, error);
  if (!bus->daemon_ ||
      !eventually([&] { return std::filesystem::exists(socket); }, std::chrono::seconds(10))) {
    *error = "the private system bus did not start within 10 s: " + *error;
    return nullptr;
  }
  ::setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + socket.string()).c_str(), 1);
  return bus;
}

PrivateSystemBus::~PrivateSystemBus() {
  ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
  if (daemon_) {
    daemon_->stop(std::chrono::seconds(3));
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

}  // namespace tactora::testing
