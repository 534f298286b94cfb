// `tactora doctor` on a desktop with nothing, and on an X11 desktop with an EWMH window manager.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "Platform/AtomicFile.h"
#include "tests/support/desktop/XClient.h"
#include "tests/support/desktop/XServer.h"

namespace tactora::lx {
namespace {

// A desktop with nothing: no X server, no session bus, no uinput, a broken configuration. Every
// line still comes, each saying what is missing, and the command succeeds. An X11 session with an
// EWMH window manager: the focused application by its desktop entry, and the window manager's
// workspace, desktop and closing requests.
TEST(DoctorCommand, DescribesAHalfBrokenDesktopAndAnX11One) {
  std::string error;
  const auto session = testing::DesktopSession::create({}, &error);
  ASSERT_NE(session, nullptr) << error;
  const auto server = testing::XServer::start(*session);
  ASSERT_NE(server, nullptr);
  const auto client = testing::XClient::connect(server->display());
  ASSERT_NE(client, nullptr);
  session->write("data/applications/org.example.Viewer.desktop",
                 "[Desktop Entry]\nType=Application\nName=Viewer\n");
  ASSERT_TRUE(client->activate(client->createWindow("viewer", "Viewer", "org.example.Viewer")));
  const std::string home = session->folder().string();
  using Texts = std::vector<std::string>;
  // The configuration (none: no file), the session's environment, lines the report has.
  const std::tuple<const char*, Texts, Texts> rows[] = {
      {"{\"version\": 1, \"profiles\": [",
       {"XDG_CURRENT_DESKTOP=GNOME", "XDG_SESSION_TYPE=wayland",
        "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus"},
       {"Session: GNOME on Wayland", "X server: not reachable",
        "Focused application: not known to this program",
        "GNOME Shell extension: cannot tell: GNOME Shell does not answer on the session bus",
        "Closing windows: no method found", "Tray: cannot tell: no session bus",
        "Gesture overlay: drawn by the GNOME Shell extension",
        "Accessibility (posting keys and clicks): denied",
        "Magic Mouse: ", "config.json cannot be used:"}},
      // Another Wayland desktop, whose compositor cannot be reached: no overlay, and why.
      {nullptr,
       {"WAYLAND_DISPLAY=tactora-nowhere", "XDG_SESSION_TYPE=wayland",
        "XDG_CURRENT_DESKTOP=Weston"},
       {"Gesture overlay: not shown: no Wayland compositor answers"}},
      {nullptr,
       {"DISPLAY=" + server->display(), "XDG_SESSION_TYPE=x11"},
       {"X server: reachable",
        "Focused application: from X11 _NET_ACTIVE_WINDOW; now org.example.Viewer (Viewer)",
        "Workspaces: EWMH _NET_CURRENT_DESKTOP", "Closing windows: EWMH _NET_CLOSE_WINDOW",
        "Pointer and modifiers: X11", "does not exist yet",
        "Gesture overlay: a window the X11 window manager leaves alone"}}};
  for (const auto& [config, environment, expected] : rows) {
    std::filesystem::remove(home + "/Tactora/config.json");
    if (config != nullptr) {
      platform::AtomicFile::write(home + "/Tactora/config.json", config);
    }
    testing::ProcessOptions options;
    options.environment = {"PATH=/usr/bin:/bin", "HOME=" + home, "XDG_CONFIG_HOME=" + home,
                           "XDG_DATA_HOME=" + home + "/data", "XDG_DATA_DIRS=" + home + "/none"};
    options.environment.insert(options.environment.end(), environment.begin(), environment.end());
    const auto run = testing::runProcess({TACTORA_EXECUTABLE, "doctor"}, options);
    EXPECT_EQ(run.status, 0) << run.output;
    for (const std::string& line : expected) {
      EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
    }
  }
}

}  // namespace
}  // namespace tactora::lx
