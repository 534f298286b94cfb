#include "Platform/linux/gnome/GnomeShell.h"

#include <systemd/sd-bus.h>

#include <utility>

namespace tactora::lx {

namespace {

constexpr const char* overviewProperty = "OverviewActive";

}  // namespace

GnomeShell::GnomeShell(std::shared_ptr<SessionBus> bus, std::chrono::milliseconds timeout)
    : bus_(std::move(bus)), timeout_(timeout) {}

bool GnomeShell::isRunning() const {
  return bus_->hasOwner(busName, timeout_);
}

std::optional<bool> GnomeShell::overviewActive() const {
  int active = 0;
  const int result = bus_->call(
      {busName, objectPath, "org.freedesktop.DBus.Properties", "Get"}, timeout_,
      [](sd_bus_message* request) {
        return sd_bus_message_append(request, "ss", interfaceName, overviewProperty);
      },
      [&active](sd_bus_message* reply) { return sd_bus_message_read(reply, "v", "b", &active); });
  return result >= 0 ? std::optional<bool>(active != 0) : std::nullopt;
}

bool GnomeShell::setOverviewActive(bool active) const {
  return bus_->call(
             {busName, objectPath, "org.freedesktop.DBus.Properties", "Set"}, timeout_,
             [active](sd_bus_message* request) {
               return sd_bus_message_append(request, "ssv", interfaceName, overviewProperty, "b",
                                            static_cast<int>(active));
             },
             nullptr) >= 0;
}

bool GnomeShell::toggleOverview() const {
  const std::optional<bool> active = overviewActive();
  return active.has_value() && setOverviewActive(!*active);
}

}  // namespace tactora::lx
