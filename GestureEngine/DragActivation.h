#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include <nlohmann/json_fwd.hpp>

#include "GestureEngine/Expected.h"

namespace tactora {

// How the tap recognizer chooses a drag candidate.
enum class DragActivation : std::uint8_t { disabled, fingerRest, doubleTapHold };

inline constexpr std::array<DragActivation, 3> allDragActivations{
    DragActivation::disabled, DragActivation::fingerRest, DragActivation::doubleTapHold};

std::string_view toString(DragActivation activation);  // the raw value
std::optional<DragActivation> dragActivationFromRaw(std::string_view raw);

nlohmann::json toJson(DragActivation activation);
Expected<DragActivation> decodeDragActivation(const nlohmann::json& value);

}  // namespace tactora
