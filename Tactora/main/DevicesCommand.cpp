#include "Tactora/main/DevicesCommand.h"

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "Platform/UniqueFd.h"
#include "Platform/linux/battery/LinuxBattery.h"
#include "Platform/linux/input/DeviceDiscovery.h"
#include "Platform/linux/input/UdevContext.h"
#include "Platform/linux/input/UinputClone.h"
#include "Tactora/input/MTBridge.h"

namespace tactora {

namespace {

constexpr const char* ruleName = "69-tactora.rules";

std::string busName(std::uint16_t bus) {
  switch (bus) {
    case BUS_BLUETOOTH:
      return "Bluetooth";
    case BUS_USB:
      return "USB";
    case BUS_I2C:
      return "I2C";
    case BUS_I8042:
      return "PS/2";
    case BUS_VIRTUAL:
      return "virtual";
    default:
      return "bus " + std::to_string(bus);
  }
}

std::string ids(const lx::DeviceFacts& facts) {
  char text[32];
  std::snprintf(text, sizeof text, "%04x:%04x", facts.vendor, facts.product);
  return text;
}

// "  battery 78 % (discharging)" for an external device whose level is known, else nothing.
std::string batteryState(const lx::DeviceFacts& facts) {
  if (!lx::isExternal(facts.role())) {
    return {};
  }
  const auto level = lx::LinuxBattery::readOnce(facts, std::chrono::seconds(1));
  if (!level) {
    return {};
  }
  return "  battery " + std::to_string(level->percentage) + " % (" +
         std::string(platform::toString(level->state)) + ")";
}

// Whether another program holds the node: a grab taken and let go at once.
std::string grabState(const std::string& node) {
  platform::UniqueFd fd(::open(node.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) {
    return std::string("cannot be opened (") + std::strerror(errno) + ")";
  }
  if (::ioctl(fd.get(), EVIOCGRAB, 1) < 0) {
    return errno == EBUSY ? "held by another program (is Tactora running?)"
                          : std::string("cannot be taken (") + std::strerror(errno) + ")";
  }
  ::ioctl(fd.get(), EVIOCGRAB, 0);
  return "can be read and taken";
}

std::string uinputState() {
  platform::UniqueFd fd(::open(lx::UinputClone::uinputPath, O_WRONLY | O_NONBLOCK | O_CLOEXEC));
  if (fd) {
    return "/dev/uinput: writable (events can be forwarded and posted)";
  }
  return std::string("/dev/uinput: not writable (") + std::strerror(errno) +
         "): scroll suppression and posted actions are off; the udev rule " + ruleName +
         " grants it (and, if the node is missing, `modprobe uinput`)";
}

// The multitouch provider library the application would load, and whether it loads: a program
// that cannot find its provider reads no touches at all.
std::string providerState() {
  const std::string path = MTBridgeProviderPath();
  if (MTBridgeLoad() != 0) {
    return "Multitouch provider: " + path + ": cannot be loaded (" + MTBridgeLastError() + ")";
  }
  return "Multitouch provider: " + path;
}

int listDevices(std::ostream& out) {
  const lx::UdevContext udev;
  const std::vector<lx::DiscoveredDevice> devices = lx::DeviceDiscovery::discover(udev);
  bool chosen = false;
  int unreadable = 0;
  int unreadableError = 0;
  int described = 0;
  for (const lx::DiscoveredDevice& device : devices) {
    if (!device.facts) {
      ++unreadable;
      unreadableError = device.openError;
      continue;
    }
    ++described;
    const lx::DeviceFacts& facts = *device.facts;
    out << device.node << "  \"" << facts.name << "\"  " << busName(facts.bus) << " " << ids(facts)
        << "  " << lx::toString(facts.role()) << batteryState(facts) << "\n";
    switch (facts.role()) {
      case lx::DeviceRole::magicMouse:
      case lx::DeviceRole::externalTouch:
        if (!chosen) {
          chosen = true;
          out << "    used by Tactora: the first external device with a touch surface; "
              << grabState(device.node) << "\n";
        } else {
          out << "    skipped: another external device comes first\n";
        }
        break;
      case lx::DeviceRole::builtInTouchpad:
        out << "    skipped: built in (Tactora uses the external mouse)\n";
        break;
      case lx::DeviceRole::touchscreen:
        out << "    skipped: a touchscreen\n";
        break;
      case lx::DeviceRole::ownVirtual:
        out << "    Tactora's own virtual device (" << facts.phys << ")\n";
        break;
      case lx::DeviceRole::notMultitouch:
        break;
    }
  }
  if (!udev.valid()) {
    out << "udev is not available: no input devices can be listed\n";
  } else if (described == 0 && unreadable == 0) {
    out << "No input device with a touch surface was found. Is the Magic Mouse connected?\n";
  } else if (!chosen) {
    out << "No Magic Mouse (or other external device with a touch surface) can be read.\n";
  }
  if (unreadable > 0) {
    out << unreadable << " input device" << (unreadable == 1 ? "" : "s") << " could not be read ("
        << std::strerror(unreadableError) << ")";
    if (unreadableError == EACCES || unreadableError == EPERM) {
      out << ": the udev rule " << ruleName
          << " grants the Magic Mouse to the logged-in user; install it in /etc/udev/rules.d/ "
             "and reconnect the mouse";
    }
    out << "\n";
  }
  out << uinputState() << "\n";
  out << providerState() << "\n";
  return 0;
}

}  // namespace

void registerDevicesCommand(CLI::App& app) {
  auto* devices = app.add_subcommand(
      "devices",
      "List the input devices with a touch surface, the one Tactora would use and why, and "
      "whether they and /dev/uinput can be used");
  devices->callback([] { listDevices(std::cout); });
}

}  // namespace tactora
