#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "GestureEngine/Expected.h"
#include "Platform/InputFile.h"

// Whole-file reads of what a person hands the program (configurations, recordings). Every
// failure comes back as an InputError naming the file instead of an exception.
namespace tactora::fileio {

inline constexpr std::size_t maximumFileBytes = platform::InputFile::maximumBytes;

// Reads all of `path` as platform::InputFile does (only a regular file of at most
// `maximumFileBytes`). The error names the file, and its message says why alone ("No such file
// or directory", "is a directory", "is larger than 64 MiB").
Expected<std::string> readWholeFile(const std::filesystem::path& path);

}  // namespace tactora::fileio
