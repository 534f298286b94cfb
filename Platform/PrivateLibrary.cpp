#include "Platform/PrivateLibrary.h"

#include <unistd.h>

#include <filesystem>
#include <system_error>

// Set by the build from the installation layout; this default keeps a build without it working.
#ifndef TACTORA_PRIVATE_LIBRARY_FOLDER_RELATIVE
#define TACTORA_PRIVATE_LIBRARY_FOLDER_RELATIVE "../lib/tactora"
#endif

namespace tactora::platform {

const char* PrivateLibrary::folderRelativeToProgram() {
  return TACTORA_PRIVATE_LIBRARY_FOLDER_RELATIVE;
}

std::string PrivateLibrary::find(const std::string& programPath, const std::string& name) {
  const std::filesystem::path folder = std::filesystem::path(programPath).parent_path();
  for (const std::filesystem::path& candidate :
       {folder / name, folder / folderRelativeToProgram() / name}) {
    if (::access(candidate.c_str(), R_OK) == 0) {
      // Dropping "bin/.." is safe: the program's path has no symbolic links left in it
      // (/proc/self/exe is resolved), so the parent of bin/ is the real prefix.
      return candidate.lexically_normal().string();
    }
  }
  return {};
}

std::string PrivateLibrary::findForRunningProgram(const std::string& name) {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : find(program.string(), name);
}

}  // namespace tactora::platform
