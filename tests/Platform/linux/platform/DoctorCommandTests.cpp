// `tactora doctor` on a desktop with nothing, and on an X11 desktop with an EWMH window manager.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Platform/AtomicFile.h"
#include "tests/support/desktop/XClient.h"
#include "tests/support/desktop/XServer.h"

namespace tactora::lx {
namespace {

// Every line of `expected` is in what `tactora doctor` printed with `environment`, and it
// succeeded.
void expectDoctorSays(const std::vector<std::string>& environment,
                      const std::vector<std::string>& expected) {
  testing::ProcessOptions options;
  options.environment = environment;
  const auto run = testing::runProcess({TACTORA_EXECUTABLE, "doctor"}, options);
  EXPECT_EQ(run.status, 0) << run.output;
  for (const std::string& line : expected) {
    EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
  }
}

// A desktop with nothing: no X server, no session bus, no uinput, a broken configuration. Every
// line still comes, each saying what is missing, and the command succeeds. An X11 session with an
// EWMH window manager: the focused application by its desktop entry, and the window manager's
// workspace, desktop and closing requests.
TEST(DoctorCommand, DescribesAHalfBrokenDesktopAndAnX11One) {
  std::string error;
  const auto session = testing::DesktopSession::create({}, &error);
  ASSERT_NE(session, nullptr) << error;
  const std::string home = session->folder().string();
  platform::AtomicFile::write(home + "/Tactora/config.json", "{\"version\": 1, \"profiles\": [");
  const std::vector<std::string> bare = {
      "PATH=/usr/bin:/bin", "HOME=" + home, "XDG_CONFIG_HOME=" + home,
      "XDG_DATA_HOME=" + home + "/data", "XDG_DATA_DIRS=" + home + "/none"};
  auto broken = bare;
  broken.insert(broken.end(), {"XDG_CURRENT_DESKTOP=GNOME", "XDG_SESSION_TYPE=wayland",
                               "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus"});
  expectDoctorSays(broken,
                   {"Session: GNOME on Wayland", "X server: not reachable",
                    "Focused application: not known to this program",
                    "GNOME Shell extension: cannot tell: GNOME Shell does not answer on the "
                    "session bus",
                    "Closing windows: no method found", "Tray: cannot tell: no session bus",
                    "Gesture overlay: drawn by the GNOME Shell extension",
                    "Accessibility (posting keys and clicks): denied",
                    "Magic Mouse: ", "config.json cannot be used:"});
  // Another Wayland desktop, whose compositor cannot be reached: no overlay, and why.
  auto weston = bare;
  weston.insert(weston.end(), {"WAYLAND_DISPLAY=tactora-nowhere", "XDG_SESSION_TYPE=wayland",
                               "XDG_CURRENT_DESKTOP=Weston"});
  expectDoctorSays(weston, {"Gesture overlay: not shown: no Wayland compositor answers"});

  const auto server = testing::XServer::start(*session);
  ASSERT_NE(server, nullptr);
  const auto client = testing::XClient::connect(server->display());
  ASSERT_NE(client, nullptr);
  session->write("data/applications/org.example.Viewer.desktop",
                 "[Desktop Entry]\nType=Application\nName=Viewer\n");
  ASSERT_TRUE(client->activate(client->createWindow("viewer", "Viewer", "org.example.Viewer")));
  std::filesystem::remove(home + "/Tactora/config.json");
  auto x11 = bare;
  x11.insert(x11.end(), {"DISPLAY=" + server->display(), "XDG_SESSION_TYPE=x11"});
  expectDoctorSays(
      x11, {"X server: reachable",
            "Focused application: from X11 _NET_ACTIVE_WINDOW; now org.example.Viewer (Viewer)",
            "Workspaces: EWMH _NET_CURRENT_DESKTOP", "Closing windows: EWMH _NET_CLOSE_WINDOW",
            "Pointer and modifiers: X11", "does not exist yet",
            "Gesture overlay: a window the X11 window manager leaves alone"});
}

}  // namespace
}  // namespace tactora::lx
