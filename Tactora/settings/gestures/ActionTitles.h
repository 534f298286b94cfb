#pragma once

#include <QString>

#include "ActionKit/ActionKind.h"

namespace tactora {

// The action kinds as the pickers list them: the kind's title, with the keys of the fixed
// shortcuts said as a Linux user presses them (back is Alt+Left, the switcher Alt+Tab) and the
// per-desktop window cycling without a key.
QString actionTitle(ActionKind kind);

}  // namespace tactora
