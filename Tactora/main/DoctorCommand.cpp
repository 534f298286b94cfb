#include "Tactora/main/DoctorCommand.h"

#include <systemd/sd-bus.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include <CLI/CLI.hpp>

#include "Platform/linux/battery/LinuxBattery.h"
#include "Platform/linux/desktop/ApplicationIndex.h"
#include "Platform/linux/input/DeviceDiscovery.h"
#include "Platform/linux/input/UdevContext.h"
#include "Platform/linux/input/UinputClone.h"
#include "Platform/linux/kde/KdeDesktop.h"
#include "Platform/linux/platform/DesktopServices.h"
#include "Platform/linux/platform/LinuxPanels.h"
#include "Platform/linux/platform/LinuxPermissions.h"
#include "Platform/linux/posting/DesktopFamily.h"
#include "Platform/linux/x11/X11Connection.h"
#include "Tactora/config/ConfigCheck.h"
#include "Tactora/config/ConfigStore.h"

namespace tactora {

namespace {

std::string environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : "(unset)";
}

// Whether a tray (StatusNotifier) host is registered on the session bus; a sentence either way.
std::string trayHost() {
  sd_bus* bus = nullptr;
  if (sd_bus_open_user(&bus) < 0) {
    return "cannot tell: no session bus";
  }
  std::unique_ptr<sd_bus, decltype(&sd_bus_flush_close_unref)> owner(bus, sd_bus_flush_close_unref);
  sd_bus_error error{nullptr, nullptr, 0};
  int registered = 0;
  const int result = sd_bus_get_property_trivial(
      bus, "org.kde.StatusNotifierWatcher", "/StatusNotifierWatcher",
      "org.kde.StatusNotifierWatcher", "IsStatusNotifierHostRegistered", &error, 'b', &registered);
  sd_bus_error_free(&error);
  if (result < 0) {
    return "none (no org.kde.StatusNotifierWatcher on the session bus): the icon cannot show; on "
           "GNOME install and enable the AppIndicator extension "
           "(gnome-shell-extension-appindicator)";
  }
  return registered != 0 ? "a StatusNotifier host is registered"
                         : "the watcher runs but no host is registered: the icon cannot show yet";
}

std::string orMissing(const std::string& source, const std::string& missing) {
  return source.empty() ? missing : source;
}

// Which of KWin's shortcuts do something now: kglobalaccel lists those of effects that are not
// loaded (compositing off) and accepts them, and nothing happens.
void printKWinShortcuts(std::ostream& out) {
  out << "KWin shortcuts:\n";
  for (const auto& state : lx::KdeDesktop::shortcutStates()) {
    out << "    " << state.name << ": "
        << (state.unavailable ? "not available: " + *state.unavailable : "available") << "\n";
  }
}

void printDesktop(std::ostream& out, const lx::DesktopServices::Session& session) {
  out << "Session: " << session.description()
      << " (XDG_SESSION_TYPE=" << environment("XDG_SESSION_TYPE")
      << ", XDG_CURRENT_DESKTOP=" << environment("XDG_CURRENT_DESKTOP")
      << ", WAYLAND_DISPLAY=" << environment("WAYLAND_DISPLAY")
      << ", DISPLAY=" << environment("DISPLAY") << ")\n";

  const auto x11 = lx::X11Connection::open();
  out << "X server: " << (x11 ? "reachable" : "not reachable") << "\n";
  auto applications = std::make_shared<const lx::ApplicationIndex>(
      lx::ApplicationIndex::scan(lx::ApplicationIndex::dataDirectoriesFromEnvironment()));
  out << "Installed applications: " << applications->size() << " desktop entries\n";

  const lx::DesktopFunctions desktop = lx::DesktopServices::assemble(session, x11, applications);
  const std::optional<std::string> extension = lx::DesktopServices::gnomeExtensionReport(session);
  if (desktop.frontApplication) {
    // A source that is told the focused application (KWin's script) has nothing to say until its
    // first report, which comes within a moment of starting.
    if (desktop.awaitFrontApplication && !desktop.awaitFrontApplication(std::chrono::seconds(1))) {
      out << "Focused application: from " << desktop.frontApplicationSource
          << "; no report came within a second, so the focused application is not known and "
             "per-application profiles do not apply\n";
    } else {
      const auto front = desktop.frontApplication();
      std::string now = "none focused";
      if (front) {
        now = *front;
        if (const auto name = applications->displayName(*front)) {
          now += " (" + *name + ")";
        }
      }
      out << "Focused application: from " << desktop.frontApplicationSource << "; now " << now
          << "\n";
    }
  } else if (extension) {
    out << "Focused application: not known to this program; the GNOME Shell extension (next "
           "line) tells it\n";
  } else {
    out << "Focused application: cannot be told on this desktop, so per-application profiles "
           "never apply\n";
  }
  if (extension) {
    out << "GNOME Shell extension: " << *extension << "\n";
  }
  out << "Workspaces: "
      << orMissing(desktop.workspaceSource, "no method found (the space gestures do nothing)")
      << "\n";
  out << "Overview and Show Desktop: "
      << orMissing(desktop.dockNotificationSource,
                   "no method found (Mission Control, App Exposé and Show Desktop do nothing)")
      << "\n";
  out << "Closing windows: "
      << orMissing(desktop.closeActiveWindowSource,
                   "no method found (the desktop's close shortcut is posted instead)")
      << "\n";
  if (lx::desktopFamilyFromCurrentDesktop(session.currentDesktop) == lx::DesktopFamily::kde) {
    printKWinShortcuts(out);
  }
  out << "Pointer and modifiers: "
      << (x11 ? "X11 (XQueryPointer)"
              : "not readable without an X server: gestures bound with modifier keys never match")
      << "\n";
  out << "Tray: " << trayHost() << "\n";
  lx::LinuxPanels panels(session, x11 != nullptr);
  out << "Gesture overlay: " << (panels.kind() == platform::PanelKind::none ? "not shown: " : "")
      << panels.description() << "\n";
}

void printGrants(std::ostream& out) {
  lx::LinuxPermissions permissions(lx::UinputClone::uinputPath);
  const auto posting = permissions.accessibilityDenial();
  out << "Accessibility (posting keys and clicks): "
      << (posting ? "denied: " + *posting
                  : std::string("granted (") + lx::UinputClone::uinputPath + " is writable)")
      << "\n";
  const auto reading = permissions.inputMonitoringDenial();
  const std::int32_t access = permissions.hidCheckAccess(platform::Permissions::listenEventRequest);
  out << "Input Monitoring (reading the mouse): ";
  if (reading) {
    out << "denied: " << *reading << "\n";
  } else if (access == platform::Permissions::accessGranted) {
    out << "granted\n";
  } else {
    out << "not known (no input devices to check)\n";
  }
}

// The level, its state and where it came from: UPower, or the kernel's power supply.
void printBattery(std::ostream& out, const lx::DeviceFacts& mouse) {
  const auto level = lx::LinuxBattery::readOnce(mouse, std::chrono::seconds(1));
  if (!level) {
    out << "Mouse battery: not known (neither UPower nor the kernel reports one for this mouse)\n";
    return;
  }
  out << "Mouse battery: " << level->percentage << " %, " << platform::toString(level->state)
      << " (from " << level->source << ")\n";
}

void printMouse(std::ostream& out) {
  const lx::UdevContext udev;
  if (!udev.valid()) {
    out << "Magic Mouse: cannot tell (udev is not available)\n";
    return;
  }
  for (const lx::DiscoveredDevice& device : lx::DeviceDiscovery::discover(udev)) {
    if (device.facts && (device.facts->role() == lx::DeviceRole::magicMouse ||
                         device.facts->role() == lx::DeviceRole::externalTouch)) {
      out << "Magic Mouse: " << device.node << " \"" << device.facts->name << "\"\n";
      printBattery(out, *device.facts);
      return;
    }
  }
  out << "Magic Mouse: not found (`tactora devices` lists what there is)\n";
}

void printConfiguration(std::ostream& out) {
  const std::filesystem::path file = ConfigStore::defaultDirectory() / "config.json";
  std::error_code error;
  if (!std::filesystem::exists(file, error)) {
    out << "Configuration: " << file.string()
        << " does not exist yet (the defaults apply; it is written on the first change)\n";
    return;
  }
  std::ostringstream ignored;
  std::ostringstream problems;
  const int status = ConfigCheck::check(file, ignored, problems);
  if (status == 0 && problems.str().empty()) {
    out << "Configuration: " << file.string() << " reads cleanly\n";
    return;
  }
  out << "Configuration: " << file.string()
      << (status == 0 ? " reads, with repairs:\n" : " cannot be used:\n");
  std::istringstream lines(problems.str());
  for (std::string line; std::getline(lines, line);) {
    out << "    " << line << "\n";
  }
}

}  // namespace

void registerDoctorCommand(CLI::App& app) {
  auto* doctor = app.add_subcommand(
      "doctor",
      "Describe what Tactora finds on this desktop (session, focused application, workspaces, "
      "tray, grants, mouse, configuration): run it before filing a bug");
  doctor->callback([] {
    printDesktop(std::cout, lx::DesktopServices::Session::fromEnvironment());
    printGrants(std::cout);
    printMouse(std::cout);
    printConfiguration(std::cout);
  });
}

}  // namespace tactora
