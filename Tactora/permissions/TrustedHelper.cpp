#include "Tactora/permissions/TrustedHelper.h"

#include <sys/stat.h>

#include <system_error>

namespace tactora {

namespace {

// Owned by root, and neither its group nor others may write to it.
bool isRootsAlone(const std::filesystem::path& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0 && status.st_uid == 0 &&
         (status.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace

std::optional<std::filesystem::path> TrustedHelper::find(
    const std::vector<std::filesystem::path>& candidates) {
  for (const std::filesystem::path& candidate : candidates) {
    std::error_code error;
    const std::filesystem::path real = std::filesystem::canonical(candidate, error);
    if (!error && isTrusted(real)) {
      return real;
    }
  }
  return std::nullopt;
}

bool TrustedHelper::isTrusted(const std::filesystem::path& realPath) {
  std::error_code error;
  if (!realPath.is_absolute() || !std::filesystem::is_regular_file(realPath, error) ||
      !isRootsAlone(realPath)) {
    return false;
  }
  for (std::filesystem::path folder = realPath.parent_path();; folder = folder.parent_path()) {
    if (!isRootsAlone(folder)) {
      return false;
    }
    if (folder == folder.root_path()) {
      return true;
    }
  }
}

}  // namespace tactora
