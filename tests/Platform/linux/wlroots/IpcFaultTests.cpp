// Compositor sockets that misbehave as a real sway cannot be made to (garbage, cut or mistyped
// replies, no answer at all), and Hyprland's request socket, since Hyprland does not run here.

#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "Platform/AtomicFile.h"
#include "Platform/linux/wlroots/HyprlandIpc.h"
#include "Platform/linux/wlroots/SwayIpc.h"
#include "Platform/linux/wlroots/WlrootsDesktop.h"
#include "Tactora/config/TemporaryDirectory.h"

namespace tactora::lx {
namespace {

using namespace std::chrono_literals;

// A listening Unix socket at `path` that accepts nobody by itself.
int listeningSocket(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  ::unlink(path.c_str());
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 8) != 0) {
    ADD_FAILURE() << "cannot listen on " << path;
  }
  return fd;
}

// Answers one connection after another with the next of `replies`, after reading its request.
class CannedSocket {
 public:
  CannedSocket(const std::string& path, std::vector<std::string> replies)
      : path_(path), listener_(listeningSocket(path)) {
    thread_ = std::thread([this, replies = std::move(replies)] {
      for (const auto& reply : replies) {
        pollfd ready{listener_, POLLIN, 0};
        if (::poll(&ready, 1, 5000) <= 0) {
          return;  // asked fewer times than expected; the test's own checks say so
        }
        const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        char request[4096];
        const ssize_t count = ::recv(connection, request, sizeof request, 0);
        requests_.emplace_back(request, count > 0 ? static_cast<std::size_t>(count) : 0);
        [[maybe_unused]] const ssize_t sent =
            ::send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
        ::close(connection);
      }
    });
  }
  ~CannedSocket() {
    requests();
    ::close(listener_);
    ::unlink(path_.c_str());
  }
  // Every request read, once all replies have gone out.
  const std::vector<std::string>& requests() {
    if (thread_.joinable()) {
      thread_.join();
    }
    return requests_;
  }

 private:
  std::string path_;
  int listener_;
  std::vector<std::string> requests_;
  std::thread thread_;
};

std::string i3Frame(std::uint32_t type, const std::string& payload) {
  std::string frame = "i3-ipc";
  const auto length = static_cast<std::uint32_t>(payload.size());
  frame.append(reinterpret_cast<const char*>(&length), sizeof length);
  frame.append(reinterpret_cast<const char*>(&type), sizeof type);
  return frame + payload;
}

class IpcFaults : public ::testing::Test {
 protected:
  std::string socketPath(const char* name) const { return (folder_.path() / name).string(); }
  TemporaryDirectory folder_;
};

TEST_F(IpcFaults, BrokenRepliesGiveNothingAndAHungSwayOnlyTheTimeout) {
  const std::string tree = R"({"focused": true, "shell": "xdg_shell", "app_id": "foot", "id": 9})";
  {
    CannedSocket sway(socketPath("garbage.sock"),
                      {"",                                  // closes at once
                       "HTTP/1.1 400 Bad Request\r\n\r\n",  // not i3's protocol
                       i3Frame(4, "{\"nodes\": ["),         // bad JSON
                       i3Frame(4, tree).substr(0, 20),      // cut short
                       i3Frame(1, tree),                    // another message's reply
                       i3Frame(4, "\"\\u00") + "\xff\xfe",  // not text
                       i3Frame(1, R"([{"focused": 1, "output": 7}, 3, null])"),
                       i3Frame(4, R"({"focused": true, "shell": "xwayland", "id": "9"})")});
    const SwayIpc ipc(socketPath("garbage.sock"));
    for (int i = 0; i < 6; ++i) {
      EXPECT_EQ(ipc.focusedWindow(), std::nullopt) << "reply " << i;
    }
    EXPECT_FALSE(ipc.switchWorkspace(WorkspaceDirection::right));
    EXPECT_FALSE(ipc.closeFocusedWindow());
  }

  const int hung = listeningSocket(socketPath("hung.sock"));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SwayIpc(socketPath("hung.sock"), 100ms).focusedWindow(), std::nullopt);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
  ::close(hung);

  // Nobody listens: sway is not running, so nothing is offered.
  const auto functions = WlrootsDesktop::functions({socketPath("hung.sock"), ""},
                                                   std::make_shared<const ApplicationIndex>());
  EXPECT_FALSE(functions.frontApplication);
  EXPECT_FALSE(functions.switchWorkspace);
}

TEST_F(IpcFaults, HyprlandNamesTheActiveWindowByItsClassOrTheClassItOpenedWith) {
  platform::AtomicFile::write(
      folder_.path() / "applications/code.desktop",
      "[Desktop Entry]\nType=Application\nName=Code\nStartupWMClass=Code\n");
  const auto index =
      std::make_shared<const ApplicationIndex>(ApplicationIndex::scan({folder_.path().string()}));

  CannedSocket hyprland(socketPath("hyprland.sock"),
                        {"",  // the check that Hyprland is there
                         R"({"class": "code", "initialClass": "code", "title": "~"})",
                         R"({"class": "Renamed", "initialClass": "Code", "xwayland": true})", "{}",
                         "Invalid", R"({"class": 7})", "[]"});
  const auto functions = WlrootsDesktop::functions({"", socketPath("hyprland.sock")}, index);
  ASSERT_TRUE(functions.frontApplication);
  EXPECT_FALSE(functions.switchWorkspace);
  EXPECT_EQ(functions.frontApplication(), "code");
  EXPECT_EQ(functions.frontApplication(), "code") << "renamed after opening";
  for (int i = 0; i < 4; ++i) {
    EXPECT_EQ(functions.frontApplication(), std::nullopt) << "reply " << i;
  }
  ASSERT_EQ(hyprland.requests().size(), 7u);
  EXPECT_EQ(hyprland.requests()[1], "j/activewindow");
}

TEST_F(IpcFaults, HyprlandsSocketIsInTheRuntimeFolderOrInTmp) {
  platform::AtomicFile::write(folder_.path() / "hypr/abc_123/.socket.sock", "");
  const std::string folder = folder_.path().string();
  EXPECT_EQ(HyprlandIpc::socketPath(folder.c_str(), "abc_123"),
            folder + "/hypr/abc_123/.socket.sock");
  EXPECT_EQ(HyprlandIpc::socketPath(folder.c_str(), "old_456"),
            folder + "/hypr/old_456/.socket.sock")
      << "neither exists: the current place";
  EXPECT_EQ(HyprlandIpc::socketPath(nullptr, "old_456"), "/tmp/hypr/old_456/.socket.sock");
  for (const char* signature : {"", "..", "../../etc", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(HyprlandIpc::socketPath(folder.c_str(), signature), "");
  }
}

}  // namespace
}  // namespace tactora::lx
