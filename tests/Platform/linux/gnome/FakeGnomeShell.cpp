#include "Platform/linux/gnome/FakeGnomeShell.h"

#include <systemd/sd-bus.h>

#include <cstring>
#include <utility>

#include "Platform/linux/gnome/GnomeExtensionClient.h"
#include "Platform/linux/gnome/GnomeShell.h"

namespace tactora::lx::test {

namespace {

constexpr std::uint64_t waitSliceUsec = 20000;

bool is(const char* a, const char* b) {
  return a != nullptr && std::strcmp(a, b) == 0;
}

}  // namespace

FakeGnomeShell::FakeGnomeShell(Options options) {
  if (sd_bus_open_user(&bus_) < 0) {
    bus_ = nullptr;
    return;
  }
  if (sd_bus_request_name(bus_, GnomeShell::busName, 0) < 0 ||
      sd_bus_add_object(bus_, &shellSlot_, GnomeShell::objectPath, handleShell, this) < 0) {
    return;
  }
  if (options.extension &&
      sd_bus_add_object(bus_, &extensionSlot_, GnomeExtensionClient::objectPath, handleExtension,
                        this) < 0) {
    return;
  }
  ready_ = true;
  if (options.answers) {
    thread_ = std::thread([this] { run(); });
  }
}

FakeGnomeShell::~FakeGnomeShell() {
  stop_ = true;
  if (thread_.joinable()) {
    thread_.join();
  }
  sd_bus_slot_unref(extensionSlot_);
  sd_bus_slot_unref(shellSlot_);
  if (bus_ != nullptr) {
    sd_bus_flush_close_unref(bus_);
  }
}

void FakeGnomeShell::setFocusedApplication(std::string id) {
  std::lock_guard lock(mutex_);
  focusedApplication_ = std::move(id);
}

void FakeGnomeShell::run() {
  while (!stop_) {
    const int result = sd_bus_process(bus_, nullptr);
    if (result < 0) {
      return;
    }
    if (result == 0) {
      sd_bus_wait(bus_, waitSliceUsec);
    }
  }
}

int FakeGnomeShell::handleShell(sd_bus_message* message, void* context, sd_bus_error*) {
  auto& self = *static_cast<FakeGnomeShell*>(context);
  const char* interface = nullptr;
  const char* property = nullptr;
  if (sd_bus_message_is_method_call(message, "org.freedesktop.DBus.Properties", "Get")) {
    if (sd_bus_message_read(message, "ss", &interface, &property) < 0 ||
        !is(interface, GnomeShell::interfaceName) || !is(property, "OverviewActive")) {
      return sd_bus_reply_method_errorf(message, SD_BUS_ERROR_UNKNOWN_PROPERTY, "no such property");
    }
    return sd_bus_reply_method_return(message, "v", "b", self.overviewActive_ ? 1 : 0);
  }
  if (sd_bus_message_is_method_call(message, "org.freedesktop.DBus.Properties", "Set")) {
    int active = 0;
    if (sd_bus_message_read(message, "ss", &interface, &property) < 0 ||
        !is(interface, GnomeShell::interfaceName) || !is(property, "OverviewActive") ||
        sd_bus_message_read(message, "v", "b", &active) < 0) {
      return sd_bus_reply_method_errorf(message, SD_BUS_ERROR_INVALID_ARGS, "cannot set that");
    }
    self.overviewActive_ = active != 0;
    return sd_bus_reply_method_return(message, "");
  }
  return 0;
}

int FakeGnomeShell::handleExtension(sd_bus_message* message, void* context, sd_bus_error*) {
  auto& self = *static_cast<FakeGnomeShell*>(context);
  if (sd_bus_message_is_method_call(message, GnomeExtensionClient::interfaceName,
                                    "FocusedApplication")) {
    std::lock_guard lock(self.mutex_);
    return sd_bus_reply_method_return(message, "s", self.focusedApplication_.c_str());
  }
  if (sd_bus_message_is_method_call(message, GnomeExtensionClient::interfaceName,
                                    "CloseFocusedWindow")) {
    const bool closed = self.closable_;
    self.closeRequests_ += closed ? 1 : 0;
    return sd_bus_reply_method_return(message, "b", static_cast<int>(closed));
  }
  return 0;
}

}  // namespace tactora::lx::test
