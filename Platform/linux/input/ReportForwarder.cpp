#include "Platform/linux/input/ReportForwarder.h"

#include <algorithm>

#include "Platform/linux/input/UinputWriter.h"

namespace tactora::lx {

bool ReportForwarder::forward(std::span<const input_event> events) {
  events = events.first(std::min(events.size(), filtered_.size()));
  std::copy(events.begin(), events.end(), filtered_.begin());
  std::size_t kept = events.size();
  if (filter_.filter != nullptr) {
    const std::int32_t answer =
        filter_.filter(filter_.context, filtered_.data(), static_cast<std::int32_t>(kept));
    kept = static_cast<std::size_t>(
        std::clamp<std::int32_t>(answer, 0, static_cast<std::int32_t>(kept)));
  }
  if (outputFd_ < 0 || kept == 0) {
    return true;
  }
  if (!UinputWriter(outputFd_).writeReport({filtered_.data(), kept})) {
    outputFd_ = -1;
    return false;
  }
  return true;
}

}  // namespace tactora::lx
