#pragma once

#include <cstdlib>
#include <string>

namespace tactora::testing {

// The repository's root: from CTest's environment, or else derived from this file's own path, so
// the test executable also runs by hand from any directory.
inline std::string sourceDir() {
  if (const char* dir = std::getenv("TACTORA_SOURCE_DIR")) {
    return dir;
  }
  std::string here = __FILE__;
  return here.substr(0, here.rfind("/tests/Tactora/replay/"));
}

inline std::string binaryDir() {
  if (const char* dir = std::getenv("TACTORA_BINARY_DIR")) {
    return dir;
  }
  return {};
}

}  // namespace tactora::testing
