// The desktop functions on a real headless sway, with a Wayland client (foot) and an X client
// (xterm through Xwayland), and on Xvfb with openbox where both desktops must behave alike; and
// `tactora --play` on sway, its gestures acting and its overlay a layer-shell surface that takes
// no focus.

#include <gtest/gtest.h>

#include <QImage>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "Platform/AtomicFile.h"
#include "Platform/linux/platform/DesktopServices.h"
#include "Platform/linux/wlroots/HyprlandIpc.h"
#include "Platform/linux/wlroots/SwayIpc.h"
#include "Platform/linux/wlroots/WlrootsDesktop.h"
#include "Tactora/config/TemporaryDirectory.h"
#include "tests/support/desktop/PlayDesktop.h"
#include "tests/support/desktop/SwaySession.h"
#include "tests/support/desktop/TactoraProgram.h"
#include "tests/support/desktop/XClient.h"
#include "tests/support/desktop/XServer.h"

namespace tactora::lx {
namespace {

using testing::DesktopSession;
using testing::eventually;
using testing::SwaySession;

// One sway for the whole executable, with the applications its windows belong to.
class SwayDesktop : public ::testing::Environment {
 public:
  void SetUp() override {
    std::string error;
    session = DesktopSession::create({.unprivileged = true}, &error);
    ASSERT_NE(session, nullptr) << error;
    session->installApplication("org.example.Foot", "org.example.Foot");
    // Claims foot's windows by their class, but the application whose id they carry wins.
    session->installApplication("org.example.Claimer", "org.example.Claimer",
                                "StartupWMClass=org.example.Foot\n");
    sway = SwaySession::start(*session);
    ASSERT_NE(sway, nullptr);
    ASSERT_FALSE(sway->xDisplay().empty()) << session->log("sway");
    applications = std::make_shared<const ApplicationIndex>(
        ApplicationIndex::scan({session->dataHome().string()}));
    // As sway's own children have them; Tactora's windows stay off the desktop, so the focus
    // stays on the windows the gestures are meant for.
    session->set("DISPLAY", sway->xDisplay());
    session->set("QT_QPA_PLATFORM", "offscreen");
    program = testing::TactoraProgram::install(*session);
    ASSERT_NE(program, nullptr);
    scenario = std::make_unique<testing::PlayScenario>(*session, *program);
  }
  void TearDown() override {
    scenario.reset();
    program.reset();
    sway.reset();
    session.reset();
  }

  static inline std::unique_ptr<DesktopSession> session;
  static inline std::unique_ptr<SwaySession> sway;
  static inline std::shared_ptr<const ApplicationIndex> applications;
  static inline std::unique_ptr<testing::TactoraProgram> program;
  static inline std::unique_ptr<testing::PlayScenario> scenario;
};

const auto* const environment = ::testing::AddGlobalTestEnvironment(new SwayDesktop);

SwaySession& sway() {
  return *SwayDesktop::sway;
}
DesktopSession& session() {
  return *SwayDesktop::session;
}

testing::PlayScenario& scenario() {
  return *SwayDesktop::scenario;
}
std::function<bool()> focus(const std::string& criteria) {
  // sway focuses before it answers.
  return [criteria] { return sway().command(criteria + " focus"); };
}

DesktopFunctions swayFunctions() {
  return WlrootsDesktop::functions({sway().socket(), ""}, SwayDesktop::applications);
}

// The focused workspace's place among the workspaces, and their number, as the desktop says.
struct Position {
  int index = -1;
  int count = 0;
};

// What a window's focus does (naming the application, closing the window) is played end to end
// on sway; a container or workspace with the focus is no window at all.
TEST(Sway, AContainerOrWorkspaceWithTheFocusIsNoApplicationAndNeverClosed) {
  const DesktopFunctions functions = swayFunctions();
  ASSERT_TRUE(functions.closeActiveWindow && functions.frontApplication);
  ASSERT_TRUE(sway().command("workspace close-test"));
  EXPECT_FALSE(functions.closeActiveWindow()) << "an empty workspace has the focus";

  // The workspace holds a window and a split container of two.
  ASSERT_TRUE(sway().openWaylandWindow("foot-kept", "org.example.Kept"));
  ASSERT_TRUE(sway().openWaylandWindow("foot-other", "org.example.Other"));
  ASSERT_TRUE(sway().command("splitv"));
  ASSERT_TRUE(sway().openWaylandWindow("foot-closed", "org.example.Closed"));
  const int windows = sway().windowCount();
  for (const char* holder : {"con", "workspace"}) {
    ASSERT_TRUE(sway().command("focus parent"));
    ASSERT_EQ(sway().focused().value_or(nlohmann::json{}).value("type", ""), holder);
    EXPECT_FALSE(functions.closeActiveWindow()) << "a " << holder << " has the focus";
    EXPECT_EQ(functions.frontApplication(), std::nullopt) << "a " << holder << " has the focus";
  }
  EXPECT_EQ(sway().windowCount(), windows);
}

// `tactora doctor` as the session's user, for the ways a sway session shows itself to a program
// it did not start: logind's "tty" type, no $SWAYSOCK and no desktop name, or a stale socket.
TEST(Sway, DoctorFindsSwayHoweverTheSessionIsAnnounced) {
  const auto& program = SwayDesktop::program;
  ASSERT_TRUE(sway().openWaylandWindow("foot-doctor", "org.example.Foot"));
  const std::string swaySource = "Focused application: from sway IPC (" + sway().socket() +
                                 "); now org.example.Foot (org.example.Foot)";
  struct Case {
    std::vector<std::string> unset;
    std::vector<std::string> variables;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases{
      {{}, {"XDG_SESSION_TYPE=tty"}, {"Session: sway on Wayland", swaySource}},
      {{"SWAYSOCK", "XDG_CURRENT_DESKTOP"},
       {"XDG_SESSION_TYPE=tty"},
       {"Session: sway on Wayland", swaySource,
        "Workspaces: sway IPC workspace prev_on_output/next_on_output",
        "Closing windows: sway IPC kill of the focused window"}},
      {{},
       {"SWAYSOCK=" + (session().runtimeDirectory() / "gone.sock").string()},
       {"Focused application: cannot be told on this desktop, so per-application profiles never "
        "apply\n"}},
  };
  for (const Case& row : cases) {
    for (const auto& name : row.unset) {
      session().unset(name);
    }
    auto variables = row.variables;
    variables.push_back("DISPLAY=" + sway().xDisplay());
    const auto result = program->run({"doctor"}, variables);
    session().set("SWAYSOCK", sway().socket());
    session().set("XDG_CURRENT_DESKTOP", "sway");
    EXPECT_EQ(result.status, 0) << result.output;
    testing::expectContains(result.output, row.expected);
    EXPECT_EQ(result.output.find("GNOME Shell extension"), std::string::npos) << result.output;
  }
}

// Each recording acts through sway: the three-finger tap runs the focused application's own
// binding (its profile chosen for a Wayland window and for an X one through Xwayland, and the
// window left open), a swipe switches sway's workspace, and the tap's default binding closes
// exactly the focused window. Every run ends with status 0 on SIGTERM.
TEST(Sway, RecordedGesturesActThroughSway) {
  const auto profiled = [](const std::string& id, const std::string& windowClass, bool wayland) {
    scenario().installApplication(id, windowClass);
    scenario().writeConfiguration(id, R"({"tap": {"fingers": 3}})");
    return wayland ? sway().openWaylandWindow(id, windowClass)
                   : sway().openX11Window(id, windowClass);
  };
  const auto ranItsCommand = [](const std::string& windowClass) {
    return [windowClass] {
      return std::filesystem::exists(scenario().marker()) && sway().hasWindow(windowClass);
    };
  };
  int windows = 0;
  // The recording, what sets it up, sway's criteria for the window kept focused (none when it does
  // not matter), and when it is done.
  const std::tuple<std::string, std::function<bool()>, std::string, std::function<bool()>> rows[] =
      {
          {"three-finger-tap",
           [&] { return profiled("org.example.Probe", "org.example.Probe", true); },
           "[app_id=org.example.Probe]", ranItsCommand("org.example.Probe")},
          {"three-finger-tap", [&] { return profiled("org.example.ProbeX", "ProbeTerm", false); },
           "[class=ProbeTerm]", ranItsCommand("ProbeTerm")},
          {"two-finger-swipe-right",
           [] {
             return sway().command("workspace 2") &&
                    sway().openWaylandWindow("foot-on-2", "org.example.OnTwo") &&
                    sway().command("workspace 1");
           },
           "", [] { return sway().currentWorkspace() == "2"; }},
          {"three-finger-tap",
           [&] {
             const bool opened = sway().openWaylandWindow("foot-kept", "org.example.Kept") &&
                                 sway().openWaylandWindow("foot-victim", "org.example.Victim");
             windows = sway().windowCount();
             return opened;
           },
           "[app_id=org.example.Victim]",
           [&] {
             return !sway().hasWindow("org.example.Victim") &&
                    sway().hasWindow("org.example.Kept") && sway().windowCount() == windows - 1;
           }},
      };
  for (const auto& [recording, setUp, focused, done] : rows) {
    SCOPED_TRACE(recording + " on " + focused);
    ASSERT_TRUE(setUp());
    std::filesystem::remove(scenario().marker());
    EXPECT_TRUE(scenario().play(recording, done, focused.empty() ? nullptr : focus(focused)))
        << scenario().log();
    EXPECT_EQ(scenario().quit(), 0) << scenario().log();
  }
}

// The overlay is a layer-shell surface: what a screenshot shows beyond the one taken before; the
// focus and the windows are sway's tree.
TEST(Sway, OverlayIsALayerShellPanelThatTakesNoFocusAndNoPlaceInTheTree) {
  const auto screenshot = [] {
    const auto file = session().home() / "screenshot.png";
    const testing::ProcessResult grim = session().run({"grim", file.string()});
    return grim.status == 0 ? QImage(QString::fromStdString(file.string())) : QImage();
  };
  // The probe focused and drawn: two screenshots in a row alike.
  ASSERT_TRUE(sway().command("[app_id=org.example.Probe] focus"));
  QImage desktop;
  ASSERT_TRUE(eventually([&] {
    const QImage now = screenshot();
    const bool settled = !now.isNull() && now == desktop;
    desktop = now;
    return settled;
  }));
  testing::DesktopView view;
  view.focusProbe = focus("[app_id=org.example.Probe]");
  // Where the screen differs from the desktop: the bounding box of the changed pixels.
  view.overlay = [&]() -> std::optional<QRect> {
    const QImage now = screenshot();
    if (now.size() != desktop.size()) {
      return std::nullopt;
    }
    QRect changed;
    for (int y = 0; y < now.height(); ++y) {
      for (int x = 0; x < now.width(); ++x) {
        changed |= desktop.pixel(x, y) != now.pixel(x, y) ? QRect(x, y, 1, 1) : QRect();
      }
    }
    return changed.isEmpty() ? std::nullopt : std::optional(changed);
  };
  view.state = [] {
    const auto focused = sway().focused();
    return (focused ? focused->value("app_id", std::string("?")) : std::string("none")) + " of " +
           std::to_string(sway().windowCount());
  };
  testing::expectOverlayLeavesTheDesktopAlone(scenario(), view);
}

// sway's own prev_on_output/next_on_output wrap round; an EWMH window manager has no such
// request. Both stop at the ends, so a swipe towards the edge does the same on either desktop.
class WorkspaceEnds : public ::testing::TestWithParam<const char*> {};

void walkWorkspaces(const DesktopFunctions& functions, const std::function<Position()>& position) {
  ASSERT_TRUE(functions.switchWorkspace);
  const Position start = position();
  ASSERT_GE(start.count, 3);
  ASSERT_GE(start.index, 0);
  const auto step = [&](WorkspaceDirection direction, int to) {
    ASSERT_TRUE(functions.switchWorkspace(direction)) << "towards " << to;
    ASSERT_TRUE(eventually([&] { return position().index == to; })) << to;
  };
  for (int index = start.index; index > 0; --index) {
    step(WorkspaceDirection::left, index - 1);
  }
  EXPECT_FALSE(functions.switchWorkspace(WorkspaceDirection::left));
  for (int index = 1; index < start.count; ++index) {
    step(WorkspaceDirection::right, index);
  }
  EXPECT_FALSE(functions.switchWorkspace(WorkspaceDirection::right));
  const Position end = position();
  EXPECT_EQ(end.index, start.count - 1);
  EXPECT_EQ(end.count, start.count);
}

TEST_P(WorkspaceEnds, SwitchingStopsAtTheFirstAndTheLastWorkspace) {
  if (std::string(GetParam()) == "sway") {
    // sway keeps a workspace while it holds a window.
    for (const char* name : {"1", "2", "3"}) {
      ASSERT_TRUE(sway().command(std::string("workspace ") + name));
      ASSERT_TRUE(sway().openWaylandWindow(std::string("foot-workspace-") + name, "foot"));
    }
    walkWorkspaces(swayFunctions(), [] {
      Position position;
      const auto workspaces = sway().message("get_workspaces");
      for (const auto& workspace : workspaces.value_or(nlohmann::json::array())) {
        if (workspace.value("focused", false)) {
          position.index = position.count;
        }
        ++position.count;
      }
      return position;
    });
    return;
  }
  std::string error;
  const auto x = DesktopSession::create({}, &error);
  ASSERT_NE(x, nullptr) << error;
  const auto server = testing::XServer::start(*x);
  ASSERT_NE(server, nullptr);
  DesktopServices::Session openbox;
  openbox.type = "x11";
  openbox.useSessionBus = false;
  const auto client = testing::XClient::connect(server->display());
  ASSERT_NE(client, nullptr);
  walkWorkspaces(
      DesktopServices::assemble(openbox, X11Connection::open(server->display()),
                                std::make_shared<const ApplicationIndex>()),
      [&] {
        return Position{
            static_cast<int>(client->rootCardinal("_NET_CURRENT_DESKTOP").value_or(-1)),
            static_cast<int>(client->rootCardinal("_NET_NUMBER_OF_DESKTOPS").value_or(0))};
      });
}

INSTANTIATE_TEST_SUITE_P(Desktops, WorkspaceEnds, ::testing::Values("sway", "openbox"));

// Compositor sockets that misbehave as a real sway cannot be made to (garbage, cut or mistyped
// replies, no answer at all), and Hyprland's request socket, since Hyprland does not run here.

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
  CannedSocket(std::string path, std::vector<std::string> replies)
      : path_(std::move(path)), listener_(listeningSocket(path_)), thread_([this, replies] {
          for (const auto& reply : replies) {
            pollfd ready{listener_, POLLIN, 0};
            if (::poll(&ready, 1, 5000) <= 0) {
              return;  // asked fewer times than expected; the test's own checks say so
            }
            const int connection = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            char request[4096];
            const ssize_t count = ::recv(connection, request, sizeof request, 0);
            requests_.emplace_back(request, std::max<ssize_t>(count, 0));
            [[maybe_unused]] const ssize_t sent =
                ::send(connection, reply.data(), reply.size(), MSG_NOSIGNAL);
            ::close(connection);
          }
        }) {}
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
  std::thread thread_;  // last: it starts once the rest is there
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
