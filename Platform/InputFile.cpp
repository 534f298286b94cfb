#include "Platform/InputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <system_error>

#include "Platform/UniqueFd.h"

namespace tactora::platform {

namespace {

std::string tooLarge() {
  return "is larger than " + std::to_string(InputFile::maximumBytes / (1024 * 1024)) + " MiB";
}

}  // namespace

std::optional<std::string> InputFile::read(const std::filesystem::path& path, std::string* reason) {
  std::string bytes;
  if (!readInPieces(path, reason, [&bytes](std::string_view piece) {
        bytes.append(piece);
        return true;
      })) {
    return std::nullopt;
  }
  return bytes;
}

bool InputFile::readInPieces(const std::filesystem::path& path, std::string* reason,
                             const std::function<bool(std::string_view)>& piece) {
  const auto failed = [reason](std::string why) {
    *reason = std::move(why);
    return false;
  };
  // Non-blocking, so that opening a FIFO nobody writes to returns at once; the type check below
  // then refuses it.
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
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
  if (static_cast<std::uintmax_t>(status.st_size) > maximumBytes) {
    return failed(tooLarge());
  }
  char buffer[64 * 1024];
  std::size_t total = 0;
  for (;;) {
    const ssize_t count = ::read(fd.get(), buffer, sizeof buffer);
    if (count < 0) {
      if (errno == EINTR) {
        continue;
      }
      return failed(std::generic_category().message(errno));
    }
    if (count == 0) {
      return true;
    }
    // A file that grows while it is read is held to the same limit.
    total += static_cast<std::size_t>(count);
    if (total > maximumBytes) {
      return failed(tooLarge());
    }
    if (!piece(std::string_view(buffer, static_cast<std::size_t>(count)))) {
      return true;
    }
  }
}

}  // namespace tactora::platform
