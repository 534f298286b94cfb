#include "Platform/linux/input/UniqueFd.h"

#include <unistd.h>

namespace tactora::lx {

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) {
    ::close(fd_);
  }
  fd_ = fd;
}

}  // namespace tactora::lx
