#include "Tactora/config/ConfigurationDocument.h"

#include "Platform/AtomicFile.h"
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
  // An interrupted export never leaves a half-written file under the chosen name.
  if (auto error = platform::AtomicFile::write(path, fileContents())) {
    return InputError::fileAccess({}, *error);  // the description names the file
  }
  return std::nullopt;
}

}  // namespace tactora
