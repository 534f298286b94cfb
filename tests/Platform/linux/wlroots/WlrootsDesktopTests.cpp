// The focused application on sway and Hyprland, against fake IPC sockets serving canned replies.

#include "Platform/linux/wlroots/WlrootsDesktop.h"

#include <gtest/gtest.h>
#include <sys/socket.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "Platform/linux/wlroots/HyprlandIpc.h"
#include "Platform/linux/wlroots/SwayIpc.h"
#include "tests/Platform/linux/wlroots/FakeSocketServer.h"
#include "tests/Platform/linux/x11/TemporaryDirectory.h"

namespace tactora::lx {
namespace {

using namespace std::chrono_literals;
using test::FakeSocketServer;
using Json = nlohmann::json;

// sway's tree with the scratchpad output, a split container and a floating XWayland window.
constexpr const char* swayTree = R"({
  "id": 1, "type": "root", "name": "root", "focused": false, "floating_nodes": [],
  "nodes": [
    {"id": 2147483647, "type": "output", "name": "__i3", "focused": false, "floating_nodes": [],
     "nodes": [{"id": 2147483646, "type": "workspace", "name": "__i3_scratch", "focused": false,
                "nodes": [], "floating_nodes": []}]},
    {"id": 3, "type": "output", "name": "eDP-1", "focused": false, "floating_nodes": [],
     "nodes": [
       {"id": 4, "type": "workspace", "name": "1", "focused": false,
        "nodes": [
          {"id": 5, "type": "con", "name": null, "layout": "splitv", "focused": false,
           "floating_nodes": [],
           "nodes": [
             {"id": 6, "type": "con", "name": "~", "app_id": "foot", "shell": "xdg_shell",
              "focused": false, "nodes": [], "floating_nodes": []},
             {"id": 7, "type": "con", "name": "Files", "app_id": "org.gnome.Nautilus",
              "shell": "xdg_shell", "focused": false, "nodes": [], "floating_nodes": []}]}],
        "floating_nodes": [
          {"id": 8, "type": "floating_con", "name": "Mozilla Firefox", "app_id": null,
           "shell": "xwayland", "focused": false, "nodes": [], "floating_nodes": [],
           "window_properties": {"class": "firefox", "instance": "Navigator",
                                 "title": "Mozilla Firefox"}}]}]}]})";

void focus(Json& node, int id) {
  if (node.value("id", 0) == id) {
    node["focused"] = true;
  }
  for (const char* children : {"nodes", "floating_nodes"}) {
    for (auto& child : node[children]) {
      focus(child, id);
    }
  }
}

Json treeFocusing(int id) {
  auto tree = Json::parse(swayTree);
  focus(tree, id);
  return tree;
}

std::string i3Frame(std::uint32_t type, const std::string& payload) {
  std::string frame = "i3-ipc";
  const auto length = static_cast<std::uint32_t>(payload.size());
  frame.append(reinterpret_cast<const char*>(&length), sizeof length);
  frame.append(reinterpret_cast<const char*>(&type), sizeof type);
  return frame + payload;
}

// One i3-IPC request as the server read it.
struct Request {
  std::uint32_t type = 0;
  std::string payload;
};

Request readRequest(int connection) {
  const auto header = FakeSocketServer::read(connection, 14);
  Request request;
  std::uint32_t length = 0;
  if (header.size() == 14 && header.starts_with("i3-ipc")) {
    std::memcpy(&length, header.data() + 6, 4);
    std::memcpy(&request.type, header.data() + 10, 4);
    request.payload = FakeSocketServer::read(connection, length);
  }
  return request;
}

class WlrootsDesktopTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto app = [this](const char* file, const std::string& keys) {
      folder_.write(std::string("data/applications/") + file,
                    "[Desktop Entry]\nType=Application\nName=" + std::string(file) + "\n" + keys);
    };
    app("org.gnome.Nautilus.desktop", "");
    app("firefox-esr.desktop", "StartupWMClass=Firefox-esr\n");
    app("foot.desktop", "");
    app("foot-server.desktop", "StartupWMClass=foot\n");  // claims foot's windows too
    app("code.desktop", "StartupWMClass=Code\n");
    index_ = std::make_shared<ApplicationIndex>(
        ApplicationIndex::scan({(folder_.path() / "data").string()}));
  }

  std::string socket(const char* name) const { return (folder_.path() / name).string(); }

  test::TemporaryDirectory folder_;
  std::shared_ptr<const ApplicationIndex> index_;
};

TEST_F(WlrootsDesktopTest, SwayFindsTheFocusedWindowAtAnyDepthTiledOrFloating) {
  EXPECT_EQ(SwayIpc::focusedWindow(treeFocusing(7)), (WindowClass{"", "org.gnome.Nautilus"}));
  EXPECT_EQ(SwayIpc::focusedWindow(treeFocusing(8)), (WindowClass{"Navigator", "firefox"}))
      << "an XWayland window is known by its X class";
  EXPECT_EQ(SwayIpc::focusedWindow(treeFocusing(4)), std::nullopt) << "an empty workspace";
  EXPECT_EQ(SwayIpc::focusedWindow(treeFocusing(0)), std::nullopt) << "nothing focused";
  EXPECT_EQ(SwayIpc::focusedWindow(Json::parse(R"({"focused": true, "app_id": 5})")), std::nullopt);
  EXPECT_EQ(SwayIpc::focusedWindow(Json::parse(R"([1, {"nodes": "x"}, null])")), std::nullopt);
}

TEST_F(WlrootsDesktopTest, AnInstalledIdBeatsAnotherApplicationsWindowClass) {
  const auto id = [this](std::string instance, std::string windowClass) {
    return WlrootsDesktop::applicationId(*index_, {std::move(instance), std::move(windowClass)});
  };
  EXPECT_EQ(id("", "foot"), "foot");
  EXPECT_EQ(id("", "org.gnome.Nautilus"), "org.gnome.Nautilus");
  EXPECT_EQ(id("", "code"), "code");
  EXPECT_EQ(id("Navigator", "firefox-esr"), "firefox-esr");
  EXPECT_EQ(id("code", "Code"), "code");
  EXPECT_EQ(id("", "xterm"), std::nullopt);
  EXPECT_EQ(id("", ""), std::nullopt);
}

TEST_F(WlrootsDesktopTest, SwayIsAskedForItsTreeAndMovesWorkspacesAndClosesByCommand) {
  std::mutex mutex;  // guards requests
  std::vector<Request> requests;
  std::atomic<int> focused = 7;
  std::atomic<bool> commandsSucceed = true;
  FakeSocketServer sway(socket("sway.sock"), [&](int connection) {
    const auto request = readRequest(connection);
    const std::scoped_lock lock(mutex);
    requests.push_back(request);
    if (request.type == 4) {
      FakeSocketServer::write(connection, i3Frame(4, treeFocusing(focused).dump()));
    } else if (request.type == 0) {
      FakeSocketServer::write(
          connection, i3Frame(0, commandsSucceed ? R"([{"success": true}])"
                                                 : R"([{"success": false, "error": "no"}])"));
    }
  });
  ASSERT_TRUE(sway.listening());

  auto functions = WlrootsDesktop::functions({socket("sway.sock"), ""}, index_);
  ASSERT_TRUE(functions.frontApplication);
  ASSERT_TRUE(functions.switchWorkspace);
  ASSERT_TRUE(functions.closeActiveWindow);
  EXPECT_FALSE(functions.dockNotification);
  EXPECT_EQ(functions.frontApplication(), "org.gnome.Nautilus");
  focused = 8;
  EXPECT_EQ(functions.frontApplication(), std::nullopt) << "no application claims 'firefox'";
  focused = 6;
  EXPECT_EQ(functions.frontApplication(), "foot");

  EXPECT_TRUE(functions.switchWorkspace(WorkspaceDirection::left));
  EXPECT_TRUE(functions.switchWorkspace(WorkspaceDirection::right));
  commandsSucceed = false;
  EXPECT_FALSE(functions.switchWorkspace(WorkspaceDirection::left));
  EXPECT_FALSE(functions.closeActiveWindow());

  // The first connection only checked that sway is there.
  const std::scoped_lock lock(mutex);
  ASSERT_EQ(requests.size(), 8u);
  EXPECT_EQ(requests[7].payload, "kill");
  EXPECT_EQ(requests[1].type, 4u);
  EXPECT_EQ(requests[1].payload, "");
  EXPECT_EQ(requests[4].type, 0u);
  EXPECT_EQ(requests[4].payload, "workspace prev_on_output");
  EXPECT_EQ(requests[5].payload, "workspace next_on_output");
}

TEST_F(WlrootsDesktopTest, BrokenSwayRepliesGiveNothingAndAHungSwayOnlyTheTimeout) {
  const std::vector<std::function<void(int)>> misbehaviours{
      [](int) {},                                                                     // closes
      [](int c) { FakeSocketServer::write(c, "HTTP/1.1 400 Bad Request\r\n\r\n"); },  // not i3
      [](int c) { FakeSocketServer::write(c, i3Frame(4, "{\"nodes\": [")); },         // bad JSON
      [](int c) { FakeSocketServer::write(c, i3Frame(4, swayTree).substr(0, 40)); },  // cut
      [](int c) { FakeSocketServer::write(c, i3Frame(1, treeFocusing(7).dump())); },  // type
      [](int c) { FakeSocketServer::write(c, i3Frame(4, "\"\\u00") + "\xff\xfe"); },
  };
  for (std::size_t i = 0; i < misbehaviours.size(); ++i) {
    FakeSocketServer sway(socket("sway.sock"), [&](int connection) {
      readRequest(connection);
      misbehaviours[i](connection);
    });
    ASSERT_TRUE(sway.listening());
    EXPECT_EQ(SwayIpc(socket("sway.sock")).focusedWindow(), std::nullopt) << "case " << i;
  }

  FakeSocketServer hung(socket("hung.sock"), [](int connection) {
    readRequest(connection);
    FakeSocketServer::waitForClose(connection);
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(SwayIpc(socket("hung.sock"), 100ms).focusedWindow(), std::nullopt);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);

  // A socket nobody listens on: sway is not running, so nothing is offered.
  const auto functions = WlrootsDesktop::functions({socket("gone.sock"), ""}, index_);
  EXPECT_FALSE(functions.frontApplication);
  EXPECT_FALSE(functions.switchWorkspace);
}

TEST_F(WlrootsDesktopTest, HyprlandReportsTheActiveWindowsClass) {
  std::mutex mutex;
  std::vector<std::string> requests;
  std::string reply;
  const auto answer = [&](std::string text) {
    const std::scoped_lock lock(mutex);
    reply = std::move(text);
  };
  FakeSocketServer hyprland(socket("hypr.sock"), [&](int connection) {
    char buffer[256];
    const ssize_t count = ::recv(connection, buffer, sizeof buffer, 0);
    const std::scoped_lock lock(mutex);
    requests.emplace_back(buffer, count > 0 ? static_cast<std::size_t>(count) : 0);
    FakeSocketServer::write(connection, reply);
  });
  ASSERT_TRUE(hyprland.listening());

  auto functions = WlrootsDesktop::functions({"", socket("hypr.sock")}, index_);
  ASSERT_TRUE(functions.frontApplication);
  EXPECT_FALSE(functions.switchWorkspace);

  answer(R"({"address": "0x55d0", "mapped": true, "xwayland": false, "class": "foot",
             "initialClass": "foot", "title": "~", "pid": 1200})");
  EXPECT_EQ(functions.frontApplication(), "foot");
  // An application that renamed its class after opening is still found by its first one.
  answer(R"({"class": "Renamed", "initialClass": "Code", "xwayland": true})");
  EXPECT_EQ(functions.frontApplication(), "code");
  for (const char* nothing : {"{}", "Invalid", "", R"({"class": 7})", "[]"}) {
    answer(nothing);
    EXPECT_EQ(functions.frontApplication(), std::nullopt) << nothing;
  }
  // The first connection only checked that Hyprland is there.
  const std::scoped_lock lock(mutex);
  ASSERT_GE(requests.size(), 2u);
  EXPECT_EQ(requests[1], "j/activewindow");
}

TEST_F(WlrootsDesktopTest, HyprlandsSocketIsInTheRuntimeFolderOrInTmp) {
  folder_.write("run/hypr/abc_123/.socket.sock", "");
  const auto runtime = (folder_.path() / "run").string();
  EXPECT_EQ(HyprlandIpc::socketPath(runtime.c_str(), "abc_123"),
            runtime + "/hypr/abc_123/.socket.sock");
  EXPECT_EQ(HyprlandIpc::socketPath(runtime.c_str(), "old_456"),
            runtime + "/hypr/old_456/.socket.sock")
      << "neither exists: the current place";
  EXPECT_EQ(HyprlandIpc::socketPath(nullptr, "old_456"), "/tmp/hypr/old_456/.socket.sock");
  for (const char* signature : {"", "..", "../../etc", static_cast<const char*>(nullptr)}) {
    EXPECT_EQ(HyprlandIpc::socketPath(runtime.c_str(), signature), "");
  }
}

}  // namespace
}  // namespace tactora::lx
