#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include <gtest/gtest.h>

#include "Tactora/config/Configuration.h"

namespace tactora::testing {

// A fresh directory under the system's temporary folder, removed with everything in it.
class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tactora-config-XXXXXX");
    path_ = ::mkdtemp(pattern.data());
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

inline std::string readFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

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
