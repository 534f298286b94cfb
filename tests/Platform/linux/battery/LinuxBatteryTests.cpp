// The mouse's battery on Linux: an emulated Magic Mouse (umockdev: its event node, its HID device
// and, beside its input device, the kernel's power supply, whose capacity and status the cases
// change) read through the real upowerd on a private system bus, and through the kernel alone.

#include "Platform/linux/battery/LinuxBattery.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <systemd/sd-bus.h>
#include <umockdev.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/linux/bus/BusConnection.h"
#include "Platform/linux/input/DeviceDiscovery.h"
#include "tests/Platform/linux/EmulatedEvdevNode.h"
#include "tests/support/desktop/DesktopSession.h"

namespace tactora::lx {
namespace {

using namespace std::chrono_literals;
using State = platform::BatteryLevel::State;
using testing::eventually;
using ::testing::HasSubstr;

constexpr const char* upowerName = "org.freedesktop.UPower";

bool reads(LinuxBattery& battery, int percentage, State state, const std::string& source) {
  return eventually([&] {
    const auto level = battery.level();
    return level && level->percentage == percentage && level->state == state &&
           level->source.rfind(source, 0) == 0;
  });
}

// One emulated device tree per process (umockdev's rule), a private bus standing in for the system
// bus (a session's: it starts no system service by itself), and upowerd on it, started by the last
// case (the cases before it need UPower absent or hung). Each case adds its own mice, under node
// numbers of its own, and they are removed after it.
class LinuxBatteryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    nodes_ = new test::EmulatedEvdevNode;
    std::string error;
    bus_ = testing::DesktopSession::create({}, &error).release();
    ASSERT_NE(bus_, nullptr) << error;
    ::setenv("DBUS_SYSTEM_BUS_ADDRESS", bus_->busAddress().c_str(), 1);
  }
  static void TearDownTestSuite() {
    upowerd_.reset();
    ::unsetenv("DBUS_SYSTEM_BUS_ADDRESS");
    delete bus_;
    delete nodes_;
  }
  void SetUp() override { ASSERT_TRUE(nodes_->available()) << "runs under umockdev-wrapper"; }
  void TearDown() override { removeMice(); }
  void removeMice() {
    for (int number : mice_) {
      const std::string supply = "/sys" + supplyPath(number);
      umockdev_testbed_uevent(nodes_->testbed(), supply.c_str(), "remove");
      umockdev_testbed_remove_device(nodes_->testbed(), supply.c_str());
      nodes_->remove(number);
    }
    mice_.clear();
  }

  // upowerd, in a mount namespace of its own so its history files stay out of the machine's
  // /var/lib/upower, with this process's environment: the emulated devices, the private bus.
  static void startUPower() {
    std::string error;
    upowerd_ = testing::ChildProcess::start(
        {"unshare", "-m", "sh", "-c",
         "mkdir -p /var/lib/upower && mount -t tmpfs tmpfs /var/lib/upower && "
         "exec /usr/libexec/upowerd"},
        {}, &error);
    ASSERT_NE(upowerd_, nullptr) << error;
    ASSERT_TRUE(eventually([&] {
      const auto bus = BusConnection::connectSystem();
      return bus && bus->owner(upowerName, 1s);
    })) << "upowerd";
  }

  // Adds a Magic Mouse as /dev/input/event<number>, with the kernel's supply beside it at
  // `capacity` (none when negative). `usb`: its HID device hangs under a USB interface (a mouse on
  // its cable, which UPower calls a mouse; over Bluetooth Debian 12's UPower calls it a battery).
  std::string addMouse(int number, int capacity, bool usb = false) {
    test::EmulatedEvdevNode::Options options;
    options.uniq = "a4:83:e7:00:11:" + std::to_string(number);
    if (usb) {
      const std::string device =
          "/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(number);
      options.hidParent = device + "/1-" + std::to_string(number) + ":1.0";
      add("P: " + device + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n\nP: " + options.hidParent +
          "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n");
    }
    const std::string node = nodes_->add(
        number, test::readSession("examples/sessions/real/apple-magic-mouse-1-one-touch.evemu"),
        options);
    mice_.push_back(number);
    if (capacity >= 0) {
      add("P: " + supplyPath(number) +
          "\nE: SUBSYSTEM=power_supply\nA: type=Battery\nA: scope=Device\nA: present=1\nA: "
          "model_name=Magic Mouse\nA: status=Discharging\nA: capacity=" +
          std::to_string(capacity) + "\n");
    }
    return node;
  }
  void setSupply(int number, int capacity, const char* status) {
    const std::string sys = "/sys" + supplyPath(number);
    umockdev_testbed_set_attribute(nodes_->testbed(), sys.c_str(), "capacity",
                                   std::to_string(capacity).c_str());
    umockdev_testbed_set_attribute(nodes_->testbed(), sys.c_str(), "status", status);
    umockdev_testbed_uevent(nodes_->testbed(), sys.c_str(), "change");
  }
  std::string supplyPath(int number) const {
    return nodes_->hidPath(number) + "/power_supply/hid-a4:83:e7:00:11:" + std::to_string(number) +
           "-battery";
  }
  static void add(const std::string& description) {
    GError* error = nullptr;
    EXPECT_TRUE(umockdev_testbed_add_from_string(nodes_->testbed(), description.c_str(), &error));
    g_clear_error(&error);
  }
  static std::optional<platform::BatteryLevel> readOnce(const std::string& node) {
    return LinuxBattery::readOnce(DeviceDiscovery::describe(node, nullptr).value(), 300ms);
  }

  static inline test::EmulatedEvdevNode* nodes_ = nullptr;
  static inline testing::DesktopSession* bus_ = nullptr;
  static inline std::unique_ptr<testing::ChildProcess> upowerd_;
  std::vector<int> mice_;
};

// UPower absent, or owning its name and never answering: the kernel's supply stands in, re-read
// no more often than the interval asks even when the menu opens, and nobody but the battery's own
// thread waits for the silent UPower. A mouse without a supply has no level.
TEST_F(LinuxBatteryTest, WithoutAnswerFromUPowerTheKernelIsReadAtItsOwnPace) {
  for (const bool hung : {false, true}) {
    SCOPED_TRACE(hung ? "UPower hung" : "no UPower");
    sd_bus* owner = nullptr;
    if (hung) {
      ASSERT_GE(sd_bus_open_system(&owner), 0);
      ASSERT_GE(sd_bus_request_name(owner, upowerName, 0), 0);
    }
    const int number = hung ? 24 : 22;
    const std::string withBattery = addMouse(number, 50);
    const std::string withoutBattery = addMouse(number + 1, -1);
    LinuxBattery slow({300ms, 1min});
    LinuxBattery quick({300ms, 100ms});
    const auto begin = std::chrono::steady_clock::now();
    slow.start([] {});
    quick.start([] {});
    slow.refresh();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, 100ms);
    const std::string kernel = "kernel /sys" + supplyPath(number);
    ASSERT_TRUE(reads(slow, 50, State::discharging, kernel));
    ASSERT_TRUE(reads(quick, 50, State::discharging, kernel));

    setSupply(number, 40, "Charging");
    slow.refresh();
    EXPECT_TRUE(reads(quick, 40, State::charging, kernel));
    EXPECT_EQ(slow.level()->percentage, 50) << "read again within the minute";
    EXPECT_EQ(readOnce(withBattery)->percentage, 40);
    EXPECT_FALSE(readOnce(withoutBattery).has_value());
    removeMice();
    sd_bus_flush_close_unref(owner);
  }
}

// UPower's level is followed through its property changes (the kernel's supply would not be read
// again within the minute), whichever kind UPower gives the mouse, until the mouse goes.
TEST_F(LinuxBatteryTest, FollowsUPowersDeviceOfTheMouseUntilItGoes) {
  startUPower();
  for (const bool usb : {false, true}) {
    SCOPED_TRACE(usb ? "USB" : "Bluetooth");
    const int number = usb ? 21 : 20;
    addMouse(number, 78, usb);
    LinuxBattery battery;
    std::atomic<int> changes = 0;
    battery.start([&] { ++changes; });
    const std::string upower = "UPower /org/freedesktop/UPower/devices/";
    EXPECT_TRUE(reads(battery, 78, State::discharging, upower));
    const std::string program = std::string(std::getenv("TACTORA_BINARY_DIR")) + "/tactora";
    EXPECT_THAT(testing::runProcess({program, "devices"}, {}).output,
                HasSubstr("Magic Mouse  battery 78 % (discharging)"));
    EXPECT_THAT(testing::runProcess({program, "doctor"}, {}).output,
                HasSubstr("Mouse battery: 78 %, discharging (from " + upower));
    setSupply(number, 9, "Discharging");
    EXPECT_TRUE(reads(battery, 9, State::discharging, upower));
    setSupply(number, 60, "Charging");
    EXPECT_TRUE(reads(battery, 60, State::charging, upower));
    EXPECT_GE(changes.load(), 3);
    removeMice();
    EXPECT_TRUE(eventually([&] { return !battery.level(); }));
  }
}

}  // namespace
}  // namespace tactora::lx
