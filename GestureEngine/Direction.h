#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "GestureEngine/Expected.h"

namespace tactora {

// Swipe direction (`up` is towards the front of the mouse); for pinches `up` means the fingers
// moved apart and `down` that they moved together.
enum class Direction : std::uint8_t { left, right, up, down };

std::string_view toString(Direction direction);  // the raw value
std::optional<Direction> directionFromRaw(std::string_view raw);

nlohmann::json toJson(Direction direction);
Expected<Direction> decodeDirection(const nlohmann::json& value);

}  // namespace tactora
