#pragma once

#include <cerrno>
#include <cstring>
#include <string>

namespace tactora::lx {

// Why a system call failed: its errno, and what we were doing with the file it names in words a
// log line can carry ("open /dev/input/event7: Permission denied").
struct SystemError {
  int error = 0;
  std::string what;

  // `doing` ("open /dev/uinput") and the text of `error`.
  static SystemError of(const std::string& doing, int error) {
    return {error, doing + ": " + std::strerror(error)};
  }
  // The same for the errno the last failed call left.
  static SystemError last(const std::string& doing) { return of(doing, errno); }
};

}  // namespace tactora::lx
