#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Platform/linux/bus/SessionBus.h"

namespace tactora::lx {

// KDE's global shortcut service (kglobalaccel, inside KWin on Plasma 6) as a way to run KWin's
// own commands by the names of its shortcuts ("Overview", "Window Close"), whatever keys the user
// bound to them. Calls wait at most `timeout`, so a hung service never stalls the thread that
// performs actions. Safe to use from several threads: the session bus serializes the calls.
class KGlobalAccel {
 public:
  static constexpr const char* service = "org.kde.kglobalaccel";
  static constexpr const char* kwinComponent = "/component/kwin";
  static constexpr std::chrono::milliseconds defaultTimeout{200};

  explicit KGlobalAccel(std::shared_ptr<SessionBus> bus,
                        std::chrono::microseconds timeout = defaultTimeout);

  // Whether the service is running now.
  bool isAvailable();
  // Runs KWin's shortcut `name`. False when the service did not answer in time, refused, or
  // KWin has no shortcut of that name (when it can list them), so the caller can fall back.
  bool invokeShortcut(std::string_view name);
  // The names of KWin's shortcuts; nothing when the service cannot list them.
  std::optional<std::vector<std::string>> shortcutNames();

 private:
  // The names, or the error that kept the service from giving them (-ETIMEDOUT when it did not
  // answer in time, -ENOTCONN without a session bus).
  int listShortcutNames(std::vector<std::string>* names);

  std::shared_ptr<SessionBus> bus_;
  std::chrono::microseconds timeout_;
};

}  // namespace tactora::lx
