#include "Platform/linux/gnome/GnomeExtensionClient.h"

#include <systemd/sd-bus.h>

#include <utility>

namespace tactora::lx {

namespace {

constexpr std::string_view desktopSuffix = ".desktop";
// The shell names windows that no installed application claims "window:<number>": that is no
// desktop-file id, and no binding can be made for it.
constexpr std::string_view windowBackedPrefix = "window:";

}  // namespace

GnomeExtensionClient::GnomeExtensionClient(std::shared_ptr<SessionBus> bus,
                                           std::chrono::milliseconds timeout)
    : bus_(std::move(bus)), timeout_(timeout) {}

std::optional<std::string> GnomeExtensionClient::askFocusedApplication() const {
  std::string id;
  const int result = bus_->call({busName, objectPath, interfaceName, "FocusedApplication"},
                                timeout_, nullptr, [&id](sd_bus_message* reply) {
                                  const char* text = nullptr;
                                  const int read = sd_bus_message_read(reply, "s", &text);
                                  if (read >= 0 && text != nullptr) {
                                    id = text;
                                  }
                                  return read;
                                });
  return result >= 0 ? std::optional<std::string>(std::move(id)) : std::nullopt;
}

bool GnomeExtensionClient::available() const {
  return askFocusedApplication().has_value();
}

std::optional<std::string> GnomeExtensionClient::focusedApplication() const {
  std::optional<std::string> id = askFocusedApplication();
  if (!id || id->empty() || id->starts_with(windowBackedPrefix)) {
    return std::nullopt;
  }
  // The shell's own ids end in ".desktop"; the extension strips it, and so does this side.
  if (id->ends_with(desktopSuffix)) {
    id->resize(id->size() - desktopSuffix.size());
  }
  return id->empty() ? std::nullopt : id;
}

bool GnomeExtensionClient::closeFocusedWindow() const {
  int closed = 0;
  const int result = bus_->call(
      {busName, objectPath, interfaceName, "CloseFocusedWindow"}, timeout_, nullptr,
      [&closed](sd_bus_message* reply) { return sd_bus_message_read(reply, "b", &closed); });
  return result >= 0 && closed != 0;
}

bool GnomeExtensionClient::showOverlay(std::string_view text) const {
  const std::string value(text);
  return bus_->call(
             {busName, objectPath, interfaceName, "ShowOverlay"}, timeout_,
             [&value](sd_bus_message* request) {
               return sd_bus_message_append(request, "s", value.c_str());
             },
             nullptr) >= 0;
}

}  // namespace tactora::lx
