#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "GestureEngine/Expected.h"

// Whole-file reads of what a person hands the program (configurations, recordings). Every
// failure comes back as an InputError naming the file instead of an exception.
namespace tactora::fileio {

// The most a configuration or a recording may hold; anything larger is not one.
inline constexpr std::size_t maximumFileBytes = 64 * 1024 * 1024;

// Reads all of `path`. Only a regular file of at most `maximumFileBytes` is read: a directory, a
// FIFO, a device or anything larger fails at once instead of blocking or filling the memory. The
// error names the file, and its message says why alone ("No such file or directory", "is a
// directory", "is larger than 64 MiB").
Expected<std::string> readWholeFile(const std::filesystem::path& path);

}  // namespace tactora::fileio
