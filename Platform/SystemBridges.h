#pragma once

#include <functional>
#include <string_view>

#include "Platform/HotKeyFunctions.h"

namespace tactora::platform {

// Sends a named notification to the Dock ("com.apple.expose.awake", ...). The second argument is
// always 0. The result is ignored by callers.
using DockNotificationFunction = std::function<std::int32_t(std::string_view name, int flags)>;

// The private system entry points, resolved by name. Callers resolve each once and keep it.
class SystemBridges {
 public:
  virtual ~SystemBridges() = default;
  // The Dock's notification entry point; empty when the library or the symbol is missing.
  virtual DockNotificationFunction loadDockNotificationFunction() = 0;
  // The hot-key entry points and the main connection.
  virtual HotKeyFunctions loadHotKeyFunctions() = 0;
};

}  // namespace tactora::platform
