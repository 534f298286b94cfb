#include "support/CapturingLogSink.h"

#include <algorithm>

namespace tactora::platform {

void CapturingLogSink::write(const LogRecord& record) {
  std::lock_guard lock(mutex_);
  lines_.push_back(Line{std::string(record.category), record.level, record.message});
}

std::vector<CapturingLogSink::Line> CapturingLogSink::lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

std::vector<std::string> CapturingLogSink::messages(std::string_view category) const {
  std::lock_guard lock(mutex_);
  std::vector<std::string> result;
  for (const auto& line : lines_) {
    if (category.empty() || line.category == category) {
      result.push_back(line.message);
    }
  }
  return result;
}

bool CapturingLogSink::contains(std::string_view message) const {
  const std::vector<std::string> all = messages();
  return std::ranges::find(all, message) != all.end();
}

void CapturingLogSink::clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
}

}  // namespace tactora::platform
