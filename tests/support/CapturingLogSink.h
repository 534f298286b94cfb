#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "Platform/LogSink.h"

namespace tactora::platform {

// Keeps every line written to it, so a test can check what was logged.
class CapturingLogSink : public LogSink {
 public:
  struct Line {
    std::string category;
    LogLevel level;
    std::string message;
    bool operator==(const Line&) const = default;
  };

  explicit CapturingLogSink(bool wantsDebug = true) : wantsDebug_(wantsDebug) {}

  void write(const LogRecord& record) override;
  bool wantsDebug() const override { return wantsDebug_; }

  std::vector<Line> lines() const;
  std::vector<std::string> messages(std::string_view category = {}) const;
  bool contains(std::string_view message) const;
  void clear();

 private:
  bool wantsDebug_;
  mutable std::mutex mutex_;
  std::vector<Line> lines_;
};

}  // namespace tactora::platform
