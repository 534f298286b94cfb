#include "Platform/linux/kde/KGlobalAccel.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <utility>

namespace tactora::lx {

namespace {

constexpr const char* componentInterface = "org.kde.kglobalaccel.Component";

}  // namespace

KGlobalAccel::KGlobalAccel(std::shared_ptr<SessionBus> bus, std::chrono::microseconds timeout)
    : bus_(std::move(bus)), timeout_(timeout) {}

bool KGlobalAccel::isAvailable() {
  return bus_->hasOwner(service, timeout_);
}

std::optional<std::vector<std::string>> KGlobalAccel::shortcutNames() {
  std::vector<std::string> names;
  if (listShortcutNames(&names) < 0) {
    return std::nullopt;
  }
  return names;
}

int KGlobalAccel::listShortcutNames(std::vector<std::string>* names) {
  return bus_->call({service, kwinComponent, componentInterface, "shortcutNames"}, timeout_,
                    nullptr, [names](sd_bus_message* reply) {
                      char** strings = nullptr;
                      const int result = sd_bus_message_read_strv(reply, &strings);
                      if (result < 0) {
                        return result;
                      }
                      for (char** name = strings; name != nullptr && *name != nullptr; ++name) {
                        names->emplace_back(*name);
                        std::free(*name);
                      }
                      std::free(strings);
                      return 0;
                    });
}

bool KGlobalAccel::invokeShortcut(std::string_view name) {
  const std::string shortcut(name);
  // kglobalaccel silently ignores a name it does not know; asking for the names first lets the
  // caller fall back. A service that cannot list them is asked to run the shortcut all the same,
  // but one that did not answer in time is not asked again: the caller waited long enough.
  std::vector<std::string> names;
  const int listed = listShortcutNames(&names);
  if (listed == -ETIMEDOUT || listed == -ENOTCONN ||
      (listed >= 0 && std::find(names.begin(), names.end(), shortcut) == names.end())) {
    return false;
  }
  return bus_->call(
             {service, kwinComponent, componentInterface, "invokeShortcut"}, timeout_,
             [&shortcut](sd_bus_message* request) {
               return sd_bus_message_append(request, "s", shortcut.c_str());
             },
             nullptr) >= 0;
}

}  // namespace tactora::lx
