#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tactora {

// Where a contact is in its life: reported `began` on its first frame, `moved` on every later
// frame it is present, `ended` once on the first frame after it vanished.
enum class TouchPhase : std::uint8_t { began = 0, moved = 1, ended = 2 };

// Raw values outside 0...2 construct nothing.
std::optional<TouchPhase> touchPhaseFromRaw(std::uint8_t raw);
std::string_view toString(TouchPhase phase);

}  // namespace tactora
