#include "Platform/linux/input/UinputWriter.h"

#include <unistd.h>

#include <array>
#include <cerrno>

namespace tactora::lx {

bool UinputWriter::writeReport(std::span<const input_event> events) const {
  std::array<input_event, maxEventsPerReport + 1> buffer{};
  // A longer batch goes out in pieces, each framed; the processor never hands on more than this.
  while (!events.empty()) {
    const std::size_t count = std::min(events.size(), maxEventsPerReport);
    for (std::size_t i = 0; i < count; ++i) {
      buffer[i] = events[i];
      // uinput stamps events itself; a copied time would only mislead.
      buffer[i].input_event_sec = 0;
      buffer[i].input_event_usec = 0;
    }
    input_event& report = buffer[count];
    report = {};
    report.type = EV_SYN;
    report.code = SYN_REPORT;
    const std::size_t bytes = (count + 1) * sizeof(input_event);
    ssize_t written;
    do {
      written = ::write(fd_, buffer.data(), bytes);
    } while (written < 0 && errno == EINTR);
    if (written != static_cast<ssize_t>(bytes)) {
      return false;
    }
    events = events.subspan(count);
  }
  return true;
}

}  // namespace tactora::lx
