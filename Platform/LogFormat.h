#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

#include "Platform/LogArg.h"

namespace tactora::platform {

// Renders a message in the system log's printf-style format: `%{public}s`, `%{public}ld`,
// `%{public}f`, `%.2f`, `%{bool,public}d` (true/false), `%%`, with printf flags, width and
// precision; numbers always use a decimal point whatever the locale. Privacy annotations are
// dropped; a missing argument renders as "<missing>", never reading past the list.
std::string renderLogMessage(std::string_view format, std::initializer_list<LogArg> args);

}  // namespace tactora::platform
