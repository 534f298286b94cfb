#pragma once

#include <filesystem>
#include <string_view>
#include <utility>

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
  // The directory changes owner; the moved-from object owns none.
  TemporaryDirectory(TemporaryDirectory&& other) noexcept : path_(std::exchange(other.path_, {})) {}
  TemporaryDirectory& operator=(TemporaryDirectory&&) = delete;

  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

}  // namespace tactora
