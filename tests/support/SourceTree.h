#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tactora::testing {

// The repository's root: from CTest's environment, or else derived from this file's own path, so
// the test executable also runs by hand from any directory.
inline std::string sourceDir() {
  if (const char* dir = std::getenv("TACTORA_SOURCE_DIR")) {
    return dir;
  }
  std::string here = __FILE__;
  return here.substr(0, here.rfind("/tests/support/"));
}

// A whole file's text; empty when it cannot be read, and what was read when reading fails midway
// (a /proc file of a process that ends meanwhile fails with ESRCH). Streaming the buffer catches
// the failure where iterating over it would throw it.
inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::ostringstream text;
  text << file.rdbuf();
  return text.str();
}

// Points the replay at the sim provider in the build's root when nobody said where the build is:
// a test or benchmark run by hand from its folder (build/<name>/tests, build/<name>/bench).
inline void locateSimProvider() {
  if (std::getenv("TACTORA_SIM_PROVIDER") != nullptr ||
      std::getenv("TACTORA_BINARY_DIR") != nullptr) {
    return;
  }
  std::string exe(4096, '\0');
  const auto length = ::readlink("/proc/self/exe", exe.data(), exe.size());
  exe.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  const std::string programDir = exe.substr(0, exe.rfind('/'));
  const std::string buildDir = programDir.substr(0, programDir.rfind('/'));
  ::setenv("TACTORA_SIM_PROVIDER", (buildDir + "/libTactoraSimProvider.so").c_str(), 1);
}

}  // namespace tactora::testing
