#include "Tactora/settings/SettingsContext.h"

#include <unistd.h>

#include <string>

namespace tactora::settings {

std::filesystem::path SettingsContext::installedAcknowledgements() {
  std::string program(4096, '\0');
  const ssize_t length = ::readlink("/proc/self/exe", program.data(), program.size());
  if (length <= 0) {
    return {};
  }
  program.resize(static_cast<std::size_t>(length));
  // <prefix>/bin/tactora → <prefix>/share/doc/tactora/ACKNOWLEDGEMENTS.md
  const std::filesystem::path prefix = std::filesystem::path(program).parent_path().parent_path();
  return prefix / "share" / "doc" / "tactora" / "ACKNOWLEDGEMENTS.md";
}

}  // namespace tactora::settings
