#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace tactora::platform {

// Owns one file descriptor and closes it when dropped, so every early return closes it. The one
// owner of descriptors in the program: files, sockets, pipes, eventfds, device nodes.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      reset(std::exchange(other.fd_, -1));
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  explicit operator bool() const { return valid(); }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1) {
    if (fd_ >= 0) {
      ::close(fd_);
    }
    fd_ = fd;
  }
  // Closes now, returning what close reported: 0, or the errno of a delayed write error that a
  // file's writer must not take for success.
  int close() {
    const int result = fd_ >= 0 ? ::close(std::exchange(fd_, -1)) : 0;
    return result != 0 ? errno : 0;
  }

 private:
  int fd_ = -1;
};

}  // namespace tactora::platform
