#pragma once

#include <chrono>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "Platform/UniqueFd.h"

namespace tactora::lx {

// One short request to a compositor over its Unix socket, bounded by a deadline: every step
// (connecting, writing, reading) gives up when it passes, so a compositor that hangs never
// stalls the caller. Replies larger than `maximumReplyBytes` are refused.
class IpcSocket {
 public:
  static constexpr std::size_t maximumReplyBytes = 64u << 20;

  // Connects to `path`; an unusable socket when it cannot be reached.
  IpcSocket(const std::string& path, std::chrono::milliseconds timeout);
  IpcSocket(const IpcSocket&) = delete;
  IpcSocket& operator=(const IpcSocket&) = delete;

  bool isConnected() const { return fd_.valid(); }
  bool send(std::string_view bytes);
  // Exactly `count` bytes; nothing when the peer closed early or the deadline passed.
  std::optional<std::string> receive(std::size_t count);
  // Everything up to the peer's end of stream.
  std::optional<std::string> receiveAll();

 private:
  // Waits for `events` on the socket until the deadline; false when it passed or failed.
  bool wait(short events);

  platform::UniqueFd fd_;
  std::chrono::steady_clock::time_point deadline_;
};

}  // namespace tactora::lx
