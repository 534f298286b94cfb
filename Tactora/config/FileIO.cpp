#include "Tactora/config/FileIO.h"

namespace tactora::fileio {

Expected<std::string> readWholeFile(const std::filesystem::path& path) {
  std::string reason;
  if (auto bytes = platform::InputFile::read(path, &reason)) {
    return std::move(*bytes);
  }
  return InputError::fileAccess(path.string(), std::move(reason));
}

}  // namespace tactora::fileio
