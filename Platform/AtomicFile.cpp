#include "Platform/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <system_error>

namespace tactora::platform {

namespace {

std::string failure(std::string_view what, const std::filesystem::path& path, int error) {
  return std::string(what) + " " + path.string() + ": " + std::strerror(error);
}

}  // namespace

std::optional<std::string> AtomicFile::write(const std::filesystem::path& path,
                                             std::string_view contents) {
  if (path.has_parent_path()) {
    std::error_code error;
    std::filesystem::create_directories(path.parent_path(), error);
    if (error) {
      return "cannot create the folder " + path.parent_path().string() + ": " + error.message();
    }
  }
  // A unique name beside the target: the rename stays on one file system, and two writers never
  // share a temporary file.
  std::string temporary = path.string() + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    return failure("cannot create a temporary file for", path, errno);
  }
  int error = 0;
  std::size_t written = 0;
  while (error == 0 && written < contents.size()) {
    const ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
    if (n < 0 && errno != EINTR) {
      error = errno;
    } else if (n > 0) {
      written += static_cast<std::size_t>(n);
    }
  }
  // mkstemp creates the file private to its owner; these files are ordinary configuration.
  if (error == 0 && ::fchmod(fd, 0644) != 0) {
    error = errno;
  }
  if (error == 0 && ::fsync(fd) != 0) {
    error = errno;
  }
  if (::close(fd) != 0 && error == 0) {
    error = errno;
  }
  if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) {
    error = errno;
  }
  if (error != 0) {
    ::unlink(temporary.c_str());
    return failure("cannot write", path, error);
  }
  return std::nullopt;
}

}  // namespace tactora::platform
