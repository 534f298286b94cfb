#include "tests/Platform/linux/wlroots/FakeSocketServer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <utility>

namespace tactora::lx::test {

FakeSocketServer::FakeSocketServer(std::string path, Handler handler)
    : path_(std::move(path)), handler_(std::move(handler)) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path_.c_str(), sizeof address.sun_path - 1);
  listener_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  wakeUp_ = ::eventfd(0, EFD_CLOEXEC);
  if (listener_ < 0 || wakeUp_ < 0 ||
      ::bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(listener_, 8) != 0) {
    if (listener_ >= 0) {
      ::close(listener_);
    }
    listener_ = -1;
    return;
  }
  thread_ = std::thread([this] { serve(); });
}

FakeSocketServer::~FakeSocketServer() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeUp_, &one, sizeof one);
    thread_.join();
  }
  if (listener_ >= 0) {
    ::close(listener_);
    ::unlink(path_.c_str());
  }
  if (wakeUp_ >= 0) {
    ::close(wakeUp_);
  }
}

void FakeSocketServer::serve() {
  for (;;) {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {wakeUp_, POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0 || (fds[1].revents & POLLIN) != 0) {
      return;
    }
    const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (connection < 0) {
      continue;
    }
    ++connections_;
    handler_(connection);
    ::close(connection);
  }
}

std::string FakeSocketServer::read(int connection, std::size_t count) {
  std::string bytes(count, '\0');
  std::size_t received = 0;
  while (received < count) {
    const ssize_t n = ::recv(connection, bytes.data() + received, count - received, 0);
    if (n <= 0) {
      break;
    }
    received += static_cast<std::size_t>(n);
  }
  bytes.resize(received);
  return bytes;
}

void FakeSocketServer::write(int connection, const std::string& bytes) {
  std::size_t sent = 0;
  while (sent < bytes.size()) {
    const ssize_t n = ::send(connection, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
    if (n <= 0) {
      return;
    }
    sent += static_cast<std::size_t>(n);
  }
}

void FakeSocketServer::waitForClose(int connection) {
  char byte = 0;
  while (::recv(connection, &byte, 1, 0) > 0) {
  }
}

}  // namespace tactora::lx::test
