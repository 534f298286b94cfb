#pragma once

#include <string_view>

#include "Platform/Log.h"
#include "Platform/LogFormat.h"

namespace tactora::platform {

// One category of the system log ("InputPipeline", "ConfigStore", ...). Messages use the log's
// printf-style formats: logger.notice("gesture %{public}s -> %{public}s", a, b).
class Logger {
 public:
  explicit constexpr Logger(std::string_view category) : category_(category) {}

  std::string_view category() const { return category_; }

  void notice(std::string_view format, std::initializer_list<LogArg> args = {}) const {
    Log::write(category_, LogLevel::notice, renderLogMessage(format, args));
  }
  void debug(std::string_view format, std::initializer_list<LogArg> args = {}) const {
    if (Log::debugEnabled()) {
      Log::write(category_, LogLevel::debug, renderLogMessage(format, args));
    }
  }
  void error(std::string_view format, std::initializer_list<LogArg> args = {}) const {
    Log::write(category_, LogLevel::error, renderLogMessage(format, args));
  }

 private:
  std::string_view category_;
};

}  // namespace tactora::platform
