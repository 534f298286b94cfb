#pragma once

#include <cstdint>

namespace tactora::platform {

// The event-flag word of an event and of the held-modifier state.
using EventFlags = std::uint64_t;

namespace eventFlags {
inline constexpr EventFlags maskShift = 0x20000;
inline constexpr EventFlags maskControl = 0x40000;
inline constexpr EventFlags maskAlternate = 0x80000;  // Option
inline constexpr EventFlags maskCommand = 0x100000;
}  // namespace eventFlags

}  // namespace tactora::platform
