#pragma once

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tactora::platform {

// Whole-file reads of what a person hands the program (configurations, recordings). Only a
// regular file of at most `maximumBytes` is read: a directory, a FIFO, a device or anything larger
// fails at once instead of blocking or filling the memory.
class InputFile {
 public:
  // The most a configuration or a recording may hold; anything larger is not one.
  static constexpr std::size_t maximumBytes = 64 * 1024 * 1024;

  // The bytes of `path`; nothing when it cannot be read, with the reason alone in `reason` ("No
  // such file or directory", "is a directory", "is larger than 64 MiB").
  static std::optional<std::string> read(const std::filesystem::path& path, std::string* reason);

  // The same file handed to `piece` a part at a time, in order, for a reader that need not hold
  // the whole (a long recording): no copy of it is made. Stops early, true, when `piece` returns
  // false; false, with the reason, when the file cannot be read.
  static bool readInPieces(const std::filesystem::path& path, std::string* reason,
                           const std::function<bool(std::string_view)>& piece);
};

}  // namespace tactora::platform
