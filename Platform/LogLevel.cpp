#include "Platform/LogLevel.h"

namespace tactora::platform {

std::string_view toString(LogLevel level) {
  switch (level) {
    case LogLevel::notice:
      return "default";
    case LogLevel::debug:
      return "debug";
    case LogLevel::error:
      return "error";
  }
  return "?";
}

}  // namespace tactora::platform
