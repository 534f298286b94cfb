#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace tactora::lx::test {

// A fresh folder under the system's temporary folder, removed with everything in it when dropped.
class TemporaryDirectory {
 public:
  TemporaryDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tactora-x11-XXXXXX").string();
    path_ = ::mkdtemp(pattern.data());
  }
  ~TemporaryDirectory() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes `text` to `relative`, making the folders on the way.
  void write(const std::filesystem::path& relative, const std::string& text) const {
    std::filesystem::create_directories((path_ / relative).parent_path());
    std::ofstream(path_ / relative) << text;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace tactora::lx::test
