#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/Platform/linux/x11/TemporaryDirectory.h"
#include "tests/Platform/linux/x11/TestClient.h"
#include "tests/Platform/linux/x11/XvfbSession.h"

#ifdef TACTORA_EXECUTABLE
namespace tactora::lx {
namespace {

struct DoctorRun {
  int status = -1;
  std::string output;
};

// Runs `tactora doctor` with the given environment changes ("NAME=value" sets, "NAME" unsets) and
// collects its standard output.
DoctorRun doctor(const std::vector<std::string>& environment) {
  int output[2];
  if (::pipe2(output, O_CLOEXEC) != 0) {
    return {};
  }
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::dup2(output[1], STDOUT_FILENO);
    for (const std::string& change : environment) {
      const auto equals = change.find('=');
      if (equals == std::string::npos) {
        ::unsetenv(change.c_str());
      } else {
        ::setenv(change.substr(0, equals).c_str(), change.substr(equals + 1).c_str(), 1);
      }
    }
    ::execl(TACTORA_EXECUTABLE, TACTORA_EXECUTABLE, "doctor", static_cast<char*>(nullptr));
    ::_exit(127);
  }
  ::close(output[1]);
  DoctorRun run;
  char buffer[4096];
  for (ssize_t got; (got = ::read(output[0], buffer, sizeof buffer)) > 0;) {
    run.output.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(output[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// A desktop with nothing: no X server, no session bus, no uinput, a broken configuration. Every
// line still comes, each saying what is missing, and the command succeeds.
TEST(DoctorCommand, DescribesAHalfBrokenDesktopAndSucceeds) {
  test::TemporaryDirectory folder;
  folder.write("Tactora/config.json", "{\"version\": 1, \"profiles\": [");
  const DoctorRun run =
      doctor({"DISPLAY", "WAYLAND_DISPLAY", "XDG_CURRENT_DESKTOP=GNOME", "XDG_SESSION_TYPE=wayland",
              "XDG_CONFIG_HOME=" + folder.path().string(),
              "DBUS_SESSION_BUS_ADDRESS=unix:path=/nonexistent/bus"});
  EXPECT_EQ(run.status, 0);
  for (const char* line :
       {"Session: GNOME on Wayland", "X server: not reachable",
        "Focused application: not known to this program",
        "GNOME Shell extension: cannot tell: GNOME Shell does not answer on the session bus",
        "Closing windows: no method found", "Tray: cannot tell: no session bus",
        "Gesture overlay: drawn by the GNOME Shell extension",
        "Accessibility (posting keys and clicks): denied",
        "Magic Mouse: ", "config.json cannot be used:"}) {
    EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
  }
  // Another Wayland desktop, whose compositor cannot be reached: no overlay, and why.
  const std::string other = doctor({"DISPLAY", "WAYLAND_DISPLAY=tactora-nowhere",
                                    "XDG_SESSION_TYPE=wayland", "XDG_CURRENT_DESKTOP=Weston"})
                                .output;
  EXPECT_NE(other.find("Gesture overlay: not shown: no Wayland compositor answers"),
            std::string::npos)
      << other;
}

// An X11 session with an EWMH window manager: the focused application by its desktop entry, and
// the window manager's workspace, desktop and closing requests.
TEST(DoctorCommand, NamesTheX11MethodsAndTheFocusedApplication) {
  if (!test::XvfbSession::installed()) {
    GTEST_SKIP() << "Xvfb is not installed (scripts/setup installs it)";
  }
  const auto session = test::XvfbSession::start();
  ASSERT_NE(session, nullptr);
  auto client = test::TestClient::connect(session->displayName());
  ASSERT_NE(client, nullptr);
  test::TemporaryDirectory folder;
  folder.write("data/applications/org.example.Viewer.desktop",
               "[Desktop Entry]\nType=Application\nName=Viewer\n");
  const auto window = client->createWindow("viewer", "Viewer", "org.example.Viewer");
  ASSERT_TRUE(client->activate(window));

  const DoctorRun run =
      doctor({"DISPLAY=" + session->displayName(), "WAYLAND_DISPLAY", "XDG_SESSION_TYPE=x11",
              "XDG_CURRENT_DESKTOP", "XDG_DATA_HOME=" + (folder.path() / "data").string(),
              "XDG_DATA_DIRS=" + (folder.path() / "none").string(),
              "XDG_CONFIG_HOME=" + folder.path().string()});
  EXPECT_EQ(run.status, 0);
  for (const char* line :
       {"X server: reachable",
        "Focused application: from X11 _NET_ACTIVE_WINDOW; now org.example.Viewer (Viewer)",
        "Workspaces: EWMH _NET_CURRENT_DESKTOP", "Closing windows: EWMH _NET_CLOSE_WINDOW",
        "Pointer and modifiers: X11", "does not exist yet",
        "Gesture overlay: a window the X11 window manager leaves alone"}) {
    EXPECT_NE(run.output.find(line), std::string::npos) << line << "\n" << run.output;
  }
}

}  // namespace
}  // namespace tactora::lx
#endif
