#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/linux/kde/SessionBus.h"

namespace tactora::lx {

// KDE's global shortcut service (kglobalaccel, inside KWin on Plasma 6) as a way to run KWin's
// own commands by the names of its shortcuts ("Overview", "Window Close"), whatever keys the user
// bound to them. Calls wait at most `timeout`, so a hung service never stalls the thread that
// performs actions. Safe to use from several threads: the connection is used by one at a time.
class KGlobalAccel {
 public:
  static constexpr const char* service = "org.kde.kglobalaccel";
  static constexpr const char* kwinComponent = "/component/kwin";
  static constexpr std::chrono::milliseconds defaultTimeout{200};

  explicit KGlobalAccel(std::chrono::microseconds timeout = defaultTimeout);

  // Whether the service is running now.
  bool isAvailable();
  // Runs KWin's shortcut `name`. False when the service did not answer in time, refused, or
  // KWin has no shortcut of that name (when it can list them), so the caller can fall back.
  bool invokeShortcut(std::string_view name);
  // The names of KWin's shortcuts; nothing when the service cannot list them.
  std::optional<std::vector<std::string>> shortcutNames();

 private:
  // The connection, reconnected when the bus closed it; null without a session bus.
  SessionBus* bus();
  // Calls `member` of KWin's component with one string argument or none; a negative errno on
  // failure (-ETIMEDOUT when the service did not answer in time).
  int call(const char* member, const char* argument, SdBusMessage* reply);
  // The names, or the error that kept the service from giving them.
  int shortcutNamesLocked(std::vector<std::string>* names);

  std::chrono::microseconds timeout_;
  std::mutex mutex_;  // guards the connection, which sd-bus lets one thread use at a time
  std::optional<SessionBus> bus_;
};

}  // namespace tactora::lx
