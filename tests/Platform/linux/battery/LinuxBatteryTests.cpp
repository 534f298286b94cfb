// The mouse's battery on Linux: an emulated Magic Mouse (umockdev: its event node, its HID device
// and, beside its input device, the kernel's power supply, whose capacity and status the cases
// change) read through the real upowerd on a private system bus, and through the kernel alone.

#include "Platform/linux/battery/LinuxBattery.h"

#include <gtest/gtest.h>
#include <systemd/sd-bus.h>
#include <umockdev.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Platform/linux/bus/BusConnection.h"
#include "Platform/linux/input/DeviceDiscovery.h"
#include "tests/Platform/linux/EmulatedEvdevNode.h"
#include "tests/support/desktop/ChildProcess.h"
#include "tests/support/desktop/DesktopSession.h"
#include "tests/support/desktop/PrivateSystemBus.h"

namespace tactora::lx {
namespace {

using namespace std::chrono_literals;
using platform::BatteryLevel;
using State = BatteryLevel::State;
using testing::eventually;

constexpr const char* mouseSession = "examples/sessions/real/apple-magic-mouse-1-one-touch.evemu";
constexpr const char* upowerName = "org.freedesktop.UPower";

struct Supply {
  int capacity;
  const char* status;
};

// One emulated device tree per process (umockdev's rule), one private system bus, and upowerd on
// it, started once and stopped only by the cases that need UPower absent or hung.
class LinuxBatteryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    nodes_ = new test::EmulatedEvdevNode;
    std::string error;
    bus_ = testing::PrivateSystemBus::start(&error).release();
    ASSERT_NE(bus_, nullptr) << error;
    bus_->enter();
  }
  static void TearDownTestSuite() {
    stopUPower();
    delete bus_;
    delete nodes_;
  }

  void SetUp() override {
    ASSERT_TRUE(nodes_->available()) << "runs under umockdev-wrapper";
    ASSERT_NE(bus_, nullptr);
    mouse_ = test::readSession(mouseSession);
  }
  void TearDown() override {
    while (!added_.empty()) {
      removeMouse(added_.back());
    }
  }

  // upowerd in a mount namespace of its own, so that its history files stay out of the machine's
  // /var/lib/upower.
  static void startUPower() {
    if (upower_ != nullptr) {
      return;
    }
    testing::ProcessOptions options;
    options.environment = testing::currentEnvironment();
    options.logFile = (bus_->folder() / "upowerd.log").string();
    std::string error;
    upower_ = testing::ChildProcess::start(
                  {"unshare", "-m", "sh", "-c",
                   "mkdir -p /var/lib/upower && mount -t tmpfs tmpfs /var/lib/upower && "
                   "exec /usr/libexec/upowerd"},
                  options, &error)
                  .release();
    ASSERT_NE(upower_, nullptr) << error;
    ASSERT_TRUE(eventually([] { return hasOwner(upowerName); })) << "upowerd did not start";
  }
  static void stopUPower() {
    delete upower_;  // stops it
    upower_ = nullptr;
    ASSERT_TRUE(eventually([] { return !hasOwner(upowerName); }));
  }
  static bool hasOwner(const char* name) {
    const auto bus = BusConnection::connectSystem();
    return bus && bus->owner(name, 1s).has_value();
  }

  // Adds a Magic Mouse as /dev/input/event<number>, with the kernel's power supply beside it
  // unless `supply` is empty. `usb`: its HID device hangs under a USB interface (a mouse on its
  // cable, which UPower calls a mouse; over Bluetooth Debian 12's UPower calls it a battery).
  std::string addMouse(int number, std::optional<Supply> supply, bool usb = false) {
    test::EmulatedEvdevNode::Options options;
    options.uniq = "a4:83:e7:00:11:" + std::to_string(number);
    if (usb) {
      const std::string device =
          "/devices/pci0000:00/0000:00:14.0/usb1/1-" + std::to_string(number);
      options.hidParent = device + "/1-" + std::to_string(number) + ":1.0";
      add("P: " + device + "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_device\n\nP: " + options.hidParent +
          "\nE: SUBSYSTEM=usb\nE: DEVTYPE=usb_interface\n");
    }
    const std::string node = nodes_->add(number, mouse_, options);
    added_.push_back(number);
    if (supply) {
      add("P: " + supplyPath(number) + "\nE: SUBSYSTEM=power_supply\nA: type=Battery\n" +
          "A: scope=Device\nA: present=1\nA: online=1\nA: model_name=" + mouse_.name +
          "\nA: capacity=" + std::to_string(supply->capacity) + "\nA: status=" + supply->status +
          "\n");
      supplies_.push_back(number);
    }
    return node;
  }
  void setSupply(int number, Supply supply) {
    const std::string sys = "/sys" + supplyPath(number);
    umockdev_testbed_set_attribute(nodes_->testbed(), sys.c_str(), "capacity",
                                   std::to_string(supply.capacity).c_str());
    umockdev_testbed_set_attribute(nodes_->testbed(), sys.c_str(), "status", supply.status);
    umockdev_testbed_uevent(nodes_->testbed(), sys.c_str(), "change");
  }
  void removeMouse(int number) {
    if (std::erase(supplies_, number) > 0) {
      const std::string sys = "/sys" + supplyPath(number);
      umockdev_testbed_uevent(nodes_->testbed(), sys.c_str(), "remove");
      umockdev_testbed_remove_device(nodes_->testbed(), sys.c_str());
    }
    nodes_->remove(number);
    std::erase(added_, number);
  }
  std::string supplyPath(int number) const {
    return nodes_->hidPath(number) + "/power_supply/hid-a4:83:e7:00:11:" + std::to_string(number) +
           "-battery";
  }
  static void add(const std::string& description) {
    GError* error = nullptr;
    if (!umockdev_testbed_add_from_string(nodes_->testbed(), description.c_str(), &error)) {
      ADD_FAILURE() << "umockdev: " << error->message;
      g_clear_error(&error);
    }
  }
  static DeviceFacts facts(const std::string& node) {
    std::string problem;
    auto facts = DeviceDiscovery::describe(node, &problem);
    EXPECT_TRUE(facts.has_value()) << problem;
    return facts.value_or(DeviceFacts{});
  }

  static inline test::EmulatedEvdevNode* nodes_ = nullptr;
  static inline testing::PrivateSystemBus* bus_ = nullptr;
  static inline testing::ChildProcess* upower_ = nullptr;
  platform::EvemuRecording mouse_;
  std::vector<int> added_;
  std::vector<int> supplies_;
};

bool reads(LinuxBattery& battery, int percentage, State state, const std::string& sourcePrefix) {
  return eventually([&] {
    const auto level = battery.level();
    return level && level->percentage == percentage && level->state == state &&
           level->source.rfind(sourcePrefix, 0) == 0;
  });
}

// UPower's level is followed through its property changes (the kernel's supply would not be read
// again within the minute), whichever kind UPower gives the mouse, until the mouse goes.
TEST_F(LinuxBatteryTest, FollowsUPowersDeviceOfTheMouseUntilItGoes) {
  startUPower();
  for (const bool usb : {false, true}) {
    SCOPED_TRACE(usb ? "USB" : "Bluetooth");
    const int number = usb ? 21 : 20;
    addMouse(number, Supply{78, "Discharging"}, usb);
    LinuxBattery battery;
    std::atomic<int> changes = 0;
    battery.start([&] { ++changes; });
    const std::string upower = "UPower /org/freedesktop/UPower/devices/";
    EXPECT_TRUE(reads(battery, 78, State::discharging, upower)) << "upowerd's log: see its file";
    setSupply(number, {9, "Discharging"});
    EXPECT_TRUE(reads(battery, 9, State::discharging, upower));
    setSupply(number, {60, "Charging"});
    EXPECT_TRUE(reads(battery, 60, State::charging, upower));
    EXPECT_GE(changes.load(), 3);
    removeMouse(number);
    EXPECT_TRUE(eventually([&] { return !battery.level(); }));
    battery.stop();
  }
}

// Without UPower: the kernel's supply, re-read no more often than the interval asks even when the
// menu opens; a mouse without a supply has no level.
TEST_F(LinuxBatteryTest, WithoutUPowerTheKernelIsReadAtItsOwnPace) {
  stopUPower();
  const std::string withBattery = addMouse(22, Supply{50, "Discharging"});
  const std::string withoutBattery = addMouse(23, std::nullopt);
  LinuxBattery slow({200ms, 1min});
  LinuxBattery quick({200ms, 100ms});
  slow.start([] {});
  quick.start([] {});
  const std::string kernel = "kernel /sys" + supplyPath(22);
  ASSERT_TRUE(reads(slow, 50, State::discharging, kernel));
  ASSERT_TRUE(reads(quick, 50, State::discharging, kernel));

  setSupply(22, {40, "Charging"});
  slow.refresh();
  EXPECT_TRUE(reads(quick, 40, State::charging, kernel));
  EXPECT_EQ(slow.level()->percentage, 50) << "read again within the minute";

  EXPECT_EQ(LinuxBattery::readOnce(facts(withBattery), 200ms)->percentage, 40);
  EXPECT_FALSE(LinuxBattery::readOnce(facts(withoutBattery), 200ms).has_value());
}

// A UPower that owns its name and never answers holds up nobody but the battery's own thread, and
// that only for the call's timeout: the kernel's supply stands in.
TEST_F(LinuxBatteryTest, AHungUPowerCostsOnlyItsTimeout) {
  stopUPower();
  sd_bus* hung = nullptr;
  ASSERT_GE(sd_bus_open_system(&hung), 0);
  ASSERT_GE(sd_bus_request_name(hung, upowerName, 0), 0);
  addMouse(24, Supply{30, "Discharging"});

  LinuxBattery battery({300ms, 1min});
  const auto begin = std::chrono::steady_clock::now();
  battery.start([] {});
  battery.refresh();
  EXPECT_FALSE(battery.level().has_value());
  EXPECT_LT(std::chrono::steady_clock::now() - begin, 100ms);
  EXPECT_TRUE(reads(battery, 30, State::discharging, "kernel "));
  EXPECT_EQ(LinuxBattery::readOnce(facts("/dev/input/event24"), 300ms)->percentage, 30);
  battery.stop();
  sd_bus_flush_close_unref(hung);
}

}  // namespace
}  // namespace tactora::lx
