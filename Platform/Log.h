#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "Platform/LogLevel.h"
#include "Platform/LogSink.h"

namespace tactora::platform {

// The process's system log: every line of every category goes to one installed sink.
class Log {
 public:
  static constexpr std::string_view subsystem = "com.vellumworks.Tactora";

  // Installs `sink` (null restores the stderr sink); returns the previous one.
  static std::shared_ptr<LogSink> setSink(std::shared_ptr<LogSink> sink);
  static void write(std::string_view category, LogLevel level, std::string message);
  static bool debugEnabled();
};

}  // namespace tactora::platform
