#include "Platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

#include "Platform/UniqueFd.h"

namespace tactora::platform {

namespace {

// Symbolic links followed before a chain is taken for a loop (the kernel's own limit).
constexpr int maximumLinkDepth = 40;
// Fresh names tried for a temporary file before giving up.
constexpr int temporaryNameAttempts = 100;

std::string failure(std::string_view what, const std::filesystem::path& path, int error) {
  return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

// Writes all of `contents` and flushes it to the disk; 0 or the errno.
int writeAndSync(int fd, std::string_view contents) {
  std::size_t written = 0;
  while (written < contents.size()) {
    const ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
    if (n < 0) {
      if (errno == EINTR) {
        continue;
      }
      return errno;
    }
    written += static_cast<std::size_t>(n);
  }
  return ::fsync(fd) != 0 ? errno : 0;
}

// Flushes a folder's entries (a file created or renamed in it); 0 or the errno.
int syncFolder(const std::filesystem::path& folder) {
  UniqueFd fd(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() < 0) {
    return errno;
  }
  return ::fsync(fd.get()) != 0 ? errno : 0;
}

std::string uniqueSuffix() {
  static constexpr char letters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device random;
  std::uniform_int_distribution<std::size_t> pick(0, sizeof letters - 2);
  std::string suffix = ".";
  for (int index = 0; index < 8; ++index) {
    suffix += letters[pick(random)];
  }
  return suffix;
}

}  // namespace

std::filesystem::path AtomicFile::target(const std::filesystem::path& path) {
  std::filesystem::path current = path;
  for (int depth = 0; depth < maximumLinkDepth; ++depth) {
    std::error_code error;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(current, error))) {
      return current;
    }
    const std::filesystem::path next = std::filesystem::read_symlink(current, error);
    if (error) {
      return current;
    }
    current = next.is_absolute() ? next : current.parent_path() / next;
  }
  return current;  // a loop: writing fails on it with the system's own error
}

std::optional<std::string> AtomicFile::write(const std::filesystem::path& path,
                                             std::string_view contents, const Options& options) {
  const std::filesystem::path file = target(path);
  const std::filesystem::path folder = file.parent_path();
  if (!folder.empty()) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error) {
      return "cannot create the folder " + folder.string() + ": " + error.message();
    }
  }
  // An existing file keeps its permissions: a configuration made private stays private.
  mode_t mode = 0666;
  struct stat existing {};
  const bool replacing = ::stat(file.c_str(), &existing) == 0;
  if (replacing) {
    mode = existing.st_mode & 07777;
  }

  // The temporary file lies beside the target: the rename stays on one file system, and two
  // writers never share a temporary file (O_EXCL).
  std::filesystem::path temporary;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < temporaryNameAttempts; ++attempt) {
    temporary = options.temporaryName.empty()
                    ? folder / ("." + file.filename().string() + uniqueSuffix())
                    : folder / options.temporaryName;
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && (errno != EEXIST || !options.temporaryName.empty())) {
      break;
    }
  }
  if (fd < 0) {
    return failure("cannot create a temporary file for", file, errno);
  }
  UniqueFd temporaryFd(fd);
  int error = 0;
  if (replacing && ::fchmod(temporaryFd.get(), mode) != 0) {
    error = errno;
  }
  if (error == 0) {
    error = writeAndSync(temporaryFd.get(), contents);
  }
  if (const int closeError = temporaryFd.close(); error == 0) {
    error = closeError;
  }
  if (error != 0) {
    ::unlink(temporary.c_str());
    return failure("cannot write", temporary, error);
  }
  // rename() replaces the old file in one step: a reader sees either the old or the new content.
  if (::rename(temporary.c_str(), file.c_str()) != 0) {
    error = errno;
    if (!options.keepUnplacedTemporary) {
      ::unlink(temporary.c_str());
    }
    return failure("cannot replace", file, error);
  }
  // The rename has happened; a folder that cannot be flushed leaves only its durability to the
  // file system's own schedule.
  syncFolder(folder);
  return std::nullopt;
}

std::optional<std::string> AtomicFile::create(const std::filesystem::path& path,
                                              std::string_view contents) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() < 0) {
    return failure("cannot create", path, errno);
  }
  int error = writeAndSync(fd.get(), contents);
  if (const int closeError = fd.close(); error == 0) {
    error = closeError;
  }
  if (error == 0) {
    error = syncFolder(path.parent_path());
  }
  if (error != 0) {
    ::unlink(path.c_str());
    return failure("cannot write", path, error);
  }
  return std::nullopt;
}

}  // namespace tactora::platform
