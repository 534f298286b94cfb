#include "Tactora/config/ConfigurationDocument.h"

#include <cerrno>
#include <cstdio>
#include <random>
#include <system_error>

#include "Tactora/config/FileIO.h"

namespace tactora {

std::string ConfigurationDocument::fileContents() const {
  return encodeConfiguration(configuration);
}

Expected<ConfigurationDocument> ConfigurationDocument::fromContents(std::string_view bytes) {
  auto decoded = decodeConfigurationText(bytes);
  if (!decoded) {
    return std::move(decoded).error();
  }
  return ConfigurationDocument{std::move(decoded).value()};
}

Expected<ConfigurationDocument> ConfigurationDocument::read(const std::filesystem::path& path) {
  const std::string name = path.filename().string();
  auto file = fileio::readWholeFile(path);
  if (!file) {
    return InputError::dataCorrupted("The file \u201C" + name +
                                     "\u201D couldn\u2019t be read: " + file.error().message);
  }
  auto document = fromContents(*file);
  if (!document) {
    return InputError::dataCorrupted("The file \u201C" + name +
                                     "\u201D isn\u2019t a Tactora settings file (" +
                                     document.error().description() + ").");
  }
  return document;
}

std::optional<InputError> ConfigurationDocument::write(const std::filesystem::path& path) const {
  // A hidden sibling first, then rename over the target: an interrupted export never leaves a
  // half-written file under the chosen name.
  std::random_device random;
  const auto temporary =
      path.parent_path() / ("." + path.filename().string() + ".tmp-" + std::to_string(random()));
  if (auto error = fileio::writeNewFile(temporary, fileContents(), /*sync=*/true)) {
    return error;
  }
  if (std::rename(temporary.c_str(), path.c_str()) != 0) {
    const int error = errno;
    std::remove(temporary.c_str());
    return InputError::fileAccess(path.string(), std::generic_category().message(error));
  }
  return std::nullopt;
}

}  // namespace tactora
