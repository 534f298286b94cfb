#include "Tactora/config/FileIO.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace tactora::fileio {

namespace {

// Closes a descriptor on every path out of a function.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;

  int get() const { return fd_; }
  // Closes now, reporting the error that close itself can return (a delayed write error).
  int close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }

 private:
  int fd_;
};

}  // namespace

std::string describeErrno(const std::filesystem::path& path, int error) {
  return path.string() + ": " + std::generic_category().message(error);
}

Expected<std::string> readWholeFile(const std::filesystem::path& path) {
  auto failed = [&path](std::string reason) {
    return InputError::fileAccess(path.string(), std::move(reason));
  };
  FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    return failed(std::generic_category().message(errno));
  }
  struct stat status {};
  if (::fstat(fd.get(), &status) != 0) {
    return failed(std::generic_category().message(errno));
  }
  if (!S_ISREG(status.st_mode)) {
    return failed(S_ISDIR(status.st_mode) ? "is a directory" : "is not a regular file");
  }
  std::string bytes;
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) {
        continue;
      }
      return failed(std::generic_category().message(errno));
    }
    if (count == 0) {
      break;
    }
    bytes.append(buffer, static_cast<std::size_t>(count));
  }
  return bytes;
}

std::optional<InputError> writeNewFile(const std::filesystem::path& path, std::string_view bytes,
                                       bool sync) {
  auto failed = [&path](int error) {
    return InputError::fileAccess(path.string(), std::generic_category().message(error));
  };
  FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
  if (fd.get() < 0) {
    return failed(errno);
  }
  auto removeAndFail = [&](int error) {
    fd.close();
    ::unlink(path.c_str());
    return failed(error);
  };
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t count = ::write(fd.get(), bytes.data() + written, bytes.size() - written);
    if (count < 0) {
      if (errno == EINTR) {
        continue;
      }
      return removeAndFail(errno);
    }
    written += static_cast<std::size_t>(count);
  }
  if (sync && ::fsync(fd.get()) != 0) {
    return removeAndFail(errno);
  }
  if (fd.close() != 0) {
    const int error = errno;
    ::unlink(path.c_str());
    return failed(error);
  }
  return std::nullopt;
}

void syncDirectory(const std::filesystem::path& directory) {
  FileDescriptor fd(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) {
    ::fsync(fd.get());
  }
}

}  // namespace tactora::fileio
