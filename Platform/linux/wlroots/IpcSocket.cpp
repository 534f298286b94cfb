#include "Platform/linux/wlroots/IpcSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>

#include <cerrno>
#include <cstring>

namespace tactora::lx {

IpcSocket::IpcSocket(const std::string& path, std::chrono::milliseconds timeout)
    : deadline_(std::chrono::steady_clock::now() + timeout) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) {
    return;
  }
  std::memcpy(address.sun_path, path.data(), path.size());
  fd_.reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd_) {
    return;
  }
  if (::connect(fd_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    return;
  }
  // A Unix socket connects at once or, with the listener's backlog full, not at all (EAGAIN);
  // EINPROGRESS is only allowed for, not expected.
  int error = errno;
  if (error == EINPROGRESS) {
    socklen_t length = sizeof error;
    if (wait(POLLOUT) && ::getsockopt(fd_.get(), SOL_SOCKET, SO_ERROR, &error, &length) == 0 &&
        error == 0) {
      return;
    }
  }
  fd_.reset();
}

bool IpcSocket::wait(short events) {
  for (;;) {
    const auto left =
        std::chrono::ceil<std::chrono::milliseconds>(deadline_ - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      return false;
    }
    pollfd fd{fd_.get(), events, 0};
    const int ready = ::poll(&fd, 1, static_cast<int>(left.count()));
    if (ready > 0) {
      return true;
    }
    if (ready < 0 && errno != EINTR) {
      return false;
    }
  }
}

bool IpcSocket::send(std::string_view bytes) {
  while (fd_ && !bytes.empty()) {
    const ssize_t count = ::send(fd_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (count > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(count));
    } else if (count < 0 && errno == EINTR) {
      continue;
    } else if (count < 0 && errno == EAGAIN && wait(POLLOUT)) {
      continue;
    } else {
      return false;
    }
  }
  return fd_.valid();
}

std::optional<std::string> IpcSocket::receive(std::size_t count) {
  if (!fd_ || count > maximumReplyBytes) {
    return std::nullopt;
  }
  std::string bytes(count, '\0');
  std::size_t received = 0;
  while (received < count) {
    const ssize_t read = ::recv(fd_.get(), bytes.data() + received, count - received, 0);
    if (read > 0) {
      received += static_cast<std::size_t>(read);
    } else if (read < 0 && errno == EINTR) {
      continue;
    } else if (read < 0 && errno == EAGAIN && wait(POLLIN)) {
      continue;
    } else {
      return std::nullopt;
    }
  }
  return bytes;
}

std::optional<std::string> IpcSocket::receiveAll() {
  if (!fd_) {
    return std::nullopt;
  }
  std::string bytes;
  char buffer[8192];
  for (;;) {
    const ssize_t read = ::recv(fd_.get(), buffer, sizeof buffer, 0);
    if (read > 0) {
      if (bytes.size() + static_cast<std::size_t>(read) > maximumReplyBytes) {
        return std::nullopt;
      }
      bytes.append(buffer, static_cast<std::size_t>(read));
    } else if (read == 0) {
      return bytes;
    } else if (errno == EINTR) {
      continue;
    } else if (errno == EAGAIN && wait(POLLIN)) {
      continue;
    } else {
      return std::nullopt;
    }
  }
}

}  // namespace tactora::lx
