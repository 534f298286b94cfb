// Feeds arbitrary bytes to the evemu reader: it must either read a recording or report an error
// with a line number inside the input, and never crash, hang or read out of bounds.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "Platform/evdev/EvemuReader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  const tactora::platform::EvemuReader::Result result = tactora::platform::EvemuReader::read(text);
  if (!result) {
    const tactora::InputError* error = &result.error();
    std::size_t lines = 1;
    for (char c : text) {
      lines += c == '\n' ? 1 : 0;
    }
    if (error->line > lines || error->message.empty()) {
      __builtin_trap();
    }
  } else {
    const tactora::platform::EvemuRecording& recording = *result;
    for (std::size_t i = 1; i < recording.events.size(); ++i) {
      if (recording.events[i].timeMicroseconds < recording.events[i - 1].timeMicroseconds) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
