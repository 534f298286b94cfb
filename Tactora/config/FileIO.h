#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "GestureEngine/Expected.h"

// Whole-file reads and careful writes for the configuration files. Every failure comes back as an
// InputError naming the file instead of an exception.
namespace tactora::fileio {

// Reads all of `path`; a path that is not a regular file fails. The error names the file, and its
// message says why alone ("No such file or directory", "is a directory").
Expected<std::string> readWholeFile(const std::filesystem::path& path);

// Creates `path` (failing if anything exists there), writes `bytes` completely and, with `sync`,
// flushes them to the disk before closing. A partly written file is removed again. Returns the
// error (its description reads "PATH: reason"), or nothing on success.
std::optional<InputError> writeNewFile(const std::filesystem::path& path, std::string_view bytes,
                                       bool sync);

// Flushes a directory's entries (a rename inside it) to the disk; errors are ignored because the
// rename itself has already happened.
void syncDirectory(const std::filesystem::path& directory);

// "path: reason" for an errno value.
std::string describeErrno(const std::filesystem::path& path, int error);

}  // namespace tactora::fileio
