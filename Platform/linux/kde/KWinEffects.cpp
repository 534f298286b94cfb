#include "Platform/linux/kde/KWinEffects.h"

#include <systemd/sd-bus.h>

#include <cerrno>
#include <string>
#include <utility>

namespace tactora::lx {

KWinEffects::KWinEffects(std::shared_ptr<SessionBus> bus, std::chrono::microseconds timeout)
    : bus_(std::move(bus)), timeout_(timeout) {}

std::optional<bool> KWinEffects::isLoaded(std::string_view effect) {
  const std::string name(effect);
  int loaded = 0;
  const int result = bus_->call(
      {"org.kde.KWin", "/Effects", "org.kde.kwin.Effects", "isEffectLoaded"}, timeout_,
      [&name](sd_bus_message* request) {
        return sd_bus_message_append(request, "s", name.c_str());
      },
      [&loaded](sd_bus_message* reply) { return sd_bus_message_read(reply, "b", &loaded); });
  if (result == -ETIMEDOUT) {
    return std::nullopt;
  }
  return result >= 0 && loaded != 0;
}

}  // namespace tactora::lx
