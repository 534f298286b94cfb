#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tactora::platform {

// Whole-file replacement that a reader (or a crash) never sees half done.
class AtomicFile {
 public:
  // Writes `contents` to `path`, creating the missing folders first: into a fresh temporary
  // sibling, flushed to disk, then renamed over `path`, so `path` holds either its old content
  // or all of the new. The file is readable by everyone, writable by its owner. Empty on
  // success, else a description naming the file or folder and the system's error text.
  static std::optional<std::string> write(const std::filesystem::path& path,
                                          std::string_view contents);
};

}  // namespace tactora::platform
