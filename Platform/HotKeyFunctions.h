#pragma once

#include <cstdint>
#include <functional>

#include "Platform/HotKeyValue.h"

namespace tactora::platform {

// The window server's symbolic hot-key entry points, looked up at run time. Each may be missing
// (empty function); `connectionID` is 0 when the main connection is unavailable.
struct HotKeyFunctions {
  std::uint32_t connectionID = 0;
  std::function<std::int32_t(std::uint32_t connection, std::uint32_t hotKey, HotKeyValue* value)>
      getValue;
  std::function<std::int32_t(std::uint32_t connection, std::uint32_t hotKey, bool enabled)>
      setEnabled;
  std::function<bool(std::uint32_t connection, std::uint32_t hotKey)> isEnabled;
};

}  // namespace tactora::platform
