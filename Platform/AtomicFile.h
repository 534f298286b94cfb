#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tactora::platform {

// Whole-file replacement that a reader (or a crash, or a full disk) never sees half done, and
// the creation of files that must be on the disk before anything relies on them (backups).
class AtomicFile {
 public:
  struct Options {
    // The temporary sibling's file name; empty: the target's name with a unique suffix. A name
    // that is taken fails the write.
    std::string temporaryName;
    // A temporary file that was written completely but could not take the target's place stays
    // (the caller's next write starts again under a new name); otherwise it is removed.
    bool keepUnplacedTemporary = false;
  };

  // Writes `contents` to `path`, creating the missing folders first: into a temporary file in
  // the target's folder, flushed to the disk, renamed over the target, then the folder flushed,
  // so the target holds either its old content or all of the new. A symbolic link is written
  // through: its final target gets the content and the link stays. An existing target keeps its
  // permission bits; a new one gets 0666 less the umask. Empty on success, else a description
  // naming the file or folder and the system's error text.
  static std::optional<std::string> write(const std::filesystem::path& path,
                                          std::string_view contents, const Options& options);
  static std::optional<std::string> write(const std::filesystem::path& path,
                                          std::string_view contents) {
    return write(path, contents, Options{});
  }

  // Creates `path` holding `contents`, failing when anything is there already; the file and its
  // folder entry are flushed to the disk before this returns, and a file that could not be
  // written completely is removed again. Empty on success, else a description as above.
  static std::optional<std::string> create(const std::filesystem::path& path,
                                           std::string_view contents);

  // The file a write to `path` replaces: `path` itself, or the last target of the chain of
  // symbolic links it names (which may not exist yet).
  static std::filesystem::path target(const std::filesystem::path& path);
};

}  // namespace tactora::platform
