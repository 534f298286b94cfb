#pragma once

#include <filesystem>
#include <string_view>

namespace tactora {

// A fresh private directory under the system's temporary folder, removed with everything in it
// when the object goes. Used where a configuration store must not touch the user's own files
// (replays) and by tests. `path()` is empty when the directory could not be created.
class TemporaryDirectory {
 public:
  explicit TemporaryDirectory(std::string_view prefix = "tactora");
  ~TemporaryDirectory();
  TemporaryDirectory(const TemporaryDirectory&) = delete;
  TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace tactora
