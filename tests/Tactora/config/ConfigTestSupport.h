#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include "Tactora/config/Configuration.h"
#include "Tactora/config/TemporaryDirectory.h"
#include "tests/support/SourceTree.h"

namespace tactora::testing {

using tactora::TemporaryDirectory;

inline void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Decodes text that the test knows to be a valid configuration.
inline Configuration decoded(const std::string& text) {
  auto configuration = decodeConfigurationText(text);
  EXPECT_TRUE(configuration.ok()) << configuration.error().description();
  return configuration.ok() ? configuration.value() : Configuration{};
}

inline GestureBinding bind(GestureEvent gesture, Action action, ModifierSet modifiers = {}) {
  return GestureBinding{Trigger{gesture, modifiers}, std::move(action)};
}

}  // namespace tactora::testing
