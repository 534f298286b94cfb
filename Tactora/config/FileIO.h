#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Whole-file reads and careful writes for the configuration files. Every failure comes back as a
// readable description ("No such file or directory") instead of an exception.
namespace tactora::fileio {

struct ReadResult {
  std::optional<std::string> bytes;
  std::string error;        // why `bytes` is empty: "No such file or directory", "is a directory"
  bool notRegular = false;  // the path names a directory, device or other non-regular file
};

// Reads all of `path`; a path that is not a regular file fails.
ReadResult readWholeFile(const std::filesystem::path& path);

// Creates `path` (failing if anything exists there), writes `bytes` completely and, with `sync`,
// flushes them to the disk before closing. A partly written file is removed again. Returns the
// error description, or nothing on success.
std::optional<std::string> writeNewFile(const std::filesystem::path& path, std::string_view bytes,
                                        bool sync);

// Flushes a directory's entries (a rename inside it) to the disk; errors are ignored because the
// rename itself has already happened.
void syncDirectory(const std::filesystem::path& directory);

// "path: reason" for an errno value.
std::string describeErrno(const std::filesystem::path& path, int error);

}  // namespace tactora::fileio
