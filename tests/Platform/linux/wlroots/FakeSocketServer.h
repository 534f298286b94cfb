#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace tactora::lx::test {

// A compositor's IPC socket standing in for sway's or Hyprland's: listens on `path` and serves
// each connection, one after the other, with `handler` on its own thread; the connection is
// closed when the handler returns.
class FakeSocketServer {
 public:
  using Handler = std::function<void(int connection)>;

  FakeSocketServer(std::string path, Handler handler);
  ~FakeSocketServer();
  FakeSocketServer(const FakeSocketServer&) = delete;
  FakeSocketServer& operator=(const FakeSocketServer&) = delete;

  bool listening() const { return listener_ >= 0; }
  int connections() const { return connections_.load(); }

  // Helpers for handlers: exactly `count` bytes (fewer when the peer closed), and all of `bytes`.
  static std::string read(int connection, std::size_t count);
  static void write(int connection, const std::string& bytes);
  // Waits until the peer closes its end.
  static void waitForClose(int connection);

 private:
  void serve();

  std::string path_;
  Handler handler_;
  int listener_ = -1;
  int wakeUp_ = -1;
  std::atomic<int> connections_{0};
  std::thread thread_;
};

}  // namespace tactora::lx::test
