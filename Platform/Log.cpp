#include "Platform/Log.h"

#include <atomic>
#include <cstdio>
#include <mutex>

namespace tactora::platform {

namespace {

class StderrLogSink : public LogSink {
 public:
  void write(const LogRecord& record) override {
    std::fprintf(stderr, "%.*s [%.*s] %.*s: %s\n", static_cast<int>(record.subsystem.size()),
                 record.subsystem.data(), static_cast<int>(record.category.size()),
                 record.category.data(), static_cast<int>(toString(record.level).size()),
                 toString(record.level).data(), record.message.c_str());
  }
};

struct LogState {
  std::mutex mutex;
  std::shared_ptr<LogSink> sink = std::make_shared<StderrLogSink>();
  std::atomic<bool> debug{false};
};

LogState& state() {
  static LogState* instance = new LogState();  // never destroyed: logging works until exit
  return *instance;
}

}  // namespace

std::shared_ptr<LogSink> Log::setSink(std::shared_ptr<LogSink> sink) {
  if (!sink) {
    sink = std::make_shared<StderrLogSink>();
  }
  auto& s = state();
  std::lock_guard lock(s.mutex);
  s.debug.store(sink->wantsDebug());
  std::swap(s.sink, sink);
  return sink;
}

void Log::write(std::string_view category, LogLevel level, std::string message) {
  auto& s = state();
  std::shared_ptr<LogSink> sink;
  {
    std::lock_guard lock(s.mutex);
    sink = s.sink;
  }
  sink->write(LogRecord{subsystem, category, level, std::move(message)});
}

bool Log::debugEnabled() {
  return state().debug.load(std::memory_order_relaxed);
}

}  // namespace tactora::platform
