#pragma once

#include <cstdint>
#include <string_view>

namespace tactora {

// What the scroll-suppression tap does with native scroll events.
enum class ScrollSuppressionMode : std::uint8_t {
  none = 0,            // all pass; the tap is disabled
  all = 1,             // all are swallowed
  horizontalOnly = 2,  // an event passes when |vertical| >= |horizontal|, else it is swallowed
};

std::string_view toString(ScrollSuppressionMode mode);

}  // namespace tactora
