#pragma once

#include <string>
#include <string_view>

#include "Platform/LogLevel.h"

namespace tactora::platform {

struct LogRecord {
  std::string_view subsystem;
  std::string_view category;
  LogLevel level;
  std::string message;
};

// Where log lines go: the journal or stderr in production, a capturing sink in tests.
class LogSink {
 public:
  virtual ~LogSink() = default;
  virtual void write(const LogRecord& record) = 0;
  // Debug lines are rendered only when the sink wants them.
  virtual bool wantsDebug() const { return false; }
};

}  // namespace tactora::platform
