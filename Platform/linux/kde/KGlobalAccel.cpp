#include "Platform/linux/kde/KGlobalAccel.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdlib>

namespace tactora::lx {

namespace {

constexpr const char* componentInterface = "org.kde.kglobalaccel.Component";

}  // namespace

KGlobalAccel::KGlobalAccel(std::chrono::microseconds timeout) : timeout_(timeout) {}

SessionBus* KGlobalAccel::bus() {
  if (!bus_ || !bus_->isOpen()) {
    bus_ = SessionBus::connect();
  }
  return bus_ ? &*bus_ : nullptr;
}

int KGlobalAccel::call(const char* member, const char* argument, SdBusMessage* reply) {
  SessionBus* connection = bus();
  if (connection == nullptr) {
    return -ENOTCONN;
  }
  sd_bus_message* message = nullptr;
  int result = sd_bus_message_new_method_call(connection->get(), &message, service, kwinComponent,
                                              componentInterface, member);
  if (result < 0) {
    return result;
  }
  const SdBusMessage messageOwner(message);
  if (argument != nullptr && (result = sd_bus_message_append(message, "s", argument)) < 0) {
    return result;
  }
  sd_bus_message* answer = nullptr;
  result = sd_bus_call(connection->get(), message, static_cast<std::uint64_t>(timeout_.count()),
                       nullptr, &answer);
  reply->reset(answer);
  return result;
}

bool KGlobalAccel::isAvailable() {
  const std::scoped_lock lock(mutex_);
  SessionBus* connection = bus();
  return connection != nullptr && connection->owner(service, timeout_).has_value();
}

std::optional<std::vector<std::string>> KGlobalAccel::shortcutNames() {
  const std::scoped_lock lock(mutex_);
  std::vector<std::string> names;
  if (shortcutNamesLocked(&names) < 0) {
    return std::nullopt;
  }
  return names;
}

int KGlobalAccel::shortcutNamesLocked(std::vector<std::string>* names) {
  SdBusMessage reply;
  if (const int result = call("shortcutNames", nullptr, &reply); result < 0) {
    return result;
  }
  char** strings = nullptr;
  if (const int result = sd_bus_message_read_strv(reply.get(), &strings); result < 0) {
    return result;
  }
  for (char** name = strings; name != nullptr && *name != nullptr; ++name) {
    names->emplace_back(*name);
    std::free(*name);
  }
  std::free(strings);
  return 0;
}

bool KGlobalAccel::invokeShortcut(std::string_view name) {
  const std::scoped_lock lock(mutex_);
  const std::string shortcut(name);
  // kglobalaccel silently ignores a name it does not know; asking for the names first lets the
  // caller fall back. A service that cannot list them is asked to run the shortcut all the same,
  // but one that did not answer in time is not asked again: the caller waited long enough.
  std::vector<std::string> names;
  const int listed = shortcutNamesLocked(&names);
  if (listed == -ETIMEDOUT || listed == -ENOTCONN ||
      (listed >= 0 && std::find(names.begin(), names.end(), shortcut) == names.end())) {
    return false;
  }
  SdBusMessage reply;
  return call("invokeShortcut", shortcut.c_str(), &reply) >= 0;
}

}  // namespace tactora::lx
