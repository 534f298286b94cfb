#pragma once

#include <cstdint>
#include <string_view>

namespace tactora::platform {

// The three levels the system logs at ("default" is a keyword, hence `notice`).
enum class LogLevel : std::uint8_t { notice, debug, error };

std::string_view toString(LogLevel level);  // "default", "debug", "error"

}  // namespace tactora::platform
