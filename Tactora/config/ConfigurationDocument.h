#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "GestureEngine/Expected.h"
#include "Tactora/config/Configuration.h"

namespace tactora {

// An exported settings file: exactly one configuration, in the very form config.json has.
struct ConfigurationDocument {
  static constexpr std::string_view defaultFileName = "Tactora Settings";
  static constexpr std::string_view fileExtension = "json";

  Configuration configuration;

  std::string fileContents() const;
  // Decoded with the lenient rules of the configuration file; no migration is applied.
  static Expected<ConfigurationDocument> fromContents(std::string_view bytes);

  // Reads a whole regular file. Every failure, of reading or of decoding, carries a description
  // fit for the error alert.
  static Expected<ConfigurationDocument> read(const std::filesystem::path& path);
  // Writes one regular file, replacing what was there in one step; the error when it could not.
  std::optional<InputError> write(const std::filesystem::path& path) const;
};

}  // namespace tactora
