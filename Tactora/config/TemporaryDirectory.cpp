#include "Tactora/config/TemporaryDirectory.h"

#include <stdlib.h>

#include <string>
#include <system_error>

namespace tactora {

TemporaryDirectory::TemporaryDirectory(std::string_view prefix) {
  std::error_code error;
  const auto base = std::filesystem::temp_directory_path(error);
  if (error) {
    return;
  }
  std::string pattern = (base / (std::string(prefix) + "-XXXXXX")).string();
  if (::mkdtemp(pattern.data()) != nullptr) {
    path_ = pattern;
  }
}

TemporaryDirectory::~TemporaryDirectory() {
  if (!path_.empty()) {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
}

}  // namespace tactora
