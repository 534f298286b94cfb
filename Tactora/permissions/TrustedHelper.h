#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace tactora {

// Which permission helper "Request" may run as root through pkexec: only an installed one, that
// nobody but root can have put in place or changed. A helper beside a build or in a folder the
// user can write would let any program of the user's run its own code as root with the password
// the user types for Tactora.
class TrustedHelper {
 public:
  // The first of `candidates` that is trusted, as its real path (links resolved, so what runs is
  // what was checked), or nothing.
  static std::optional<std::filesystem::path> find(
      const std::vector<std::filesystem::path>& candidates);
  // A regular file owned by root and writable by no one else, in folders that are root's and
  // writable by no one else all the way up to /.
  static bool isTrusted(const std::filesystem::path& realPath);
};

}  // namespace tactora
