#pragma once

// What the command line says about the program, shared by the program's own commands and the
// desktop library's (see Tactora/launch/main.cpp).

namespace tactora {

inline constexpr const char* programName = "tactora";
inline constexpr const char* programDescription =
    "Tactora turns touches on the Magic Mouse into gestures and runs an action for each.";

}  // namespace tactora
