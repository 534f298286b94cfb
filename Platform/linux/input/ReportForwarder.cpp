#include "Platform/linux/input/ReportForwarder.h"

#include <algorithm>

#include "Platform/linux/input/UinputWriter.h"

namespace tactora::lx {

namespace {

// The kernel's hi-res wheel unit: one detent is 120.
constexpr std::int32_t hiResPerDetent = 120;

}  // namespace

void ReportForwarder::setOutput(int fd, std::uint64_t cloneId, bool addHiResTwins) {
  std::lock_guard lock(outputMutex_);
  outputFd_ = fd;
  cloneId_ = fd >= 0 ? cloneId : 0;
  addHiResTwins_ = addHiResTwins;
}

bool ReportForwarder::isWriting() const {
  std::lock_guard lock(outputMutex_);
  return outputFd_ >= 0;
}

std::span<const input_event> ReportForwarder::withHiResTwins(std::span<const input_event> events) {
  std::size_t count = 0;
  for (const input_event& event : events) {
    if (event.type == EV_REL && (event.code == REL_WHEEL || event.code == REL_HWHEEL)) {
      input_event twin = event;
      twin.code = event.code == REL_WHEEL ? REL_WHEEL_HI_RES : REL_HWHEEL_HI_RES;
      twin.value = event.value * hiResPerDetent;
      twinned_[count++] = twin;
    }
    twinned_[count++] = event;
  }
  return {twinned_.data(), count};
}

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
  std::lock_guard lock(outputMutex_);
  if (outputFd_ < 0 || kept == 0) {
    return true;
  }
  std::span<const input_event> report(filtered_.data(), kept);
  if (addHiResTwins_) {
    report = withHiResTwins(report);
  }
  if (!UinputWriter(outputFd_).writeReport(report)) {
    outputFd_ = -1;
    cloneId_ = 0;
    return false;
  }
  return true;
}

std::uint64_t ReportForwarder::inject(std::span<const input_event> events, std::uint64_t cloneId) {
  std::lock_guard lock(outputMutex_);
  if (outputFd_ < 0 || cloneId_ == 0 || (cloneId != 0 && cloneId != cloneId_)) {
    return 0;
  }
  // A failed write leaves the output as it is: the next forwarded report finds out for itself,
  // and its failure is what lets the mouse go.
  return UinputWriter(outputFd_).writeReport(events) ? cloneId_ : 0;
}

}  // namespace tactora::lx
