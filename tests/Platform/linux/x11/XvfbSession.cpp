#include "tests/Platform/linux/x11/XvfbSession.h"

// Before Xlib, whose None and Bool macros would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace tactora::lx::test {

namespace {

using Clock = std::chrono::steady_clock;

// Generous: a loaded two-core machine may take seconds where an idle one takes milliseconds.
constexpr std::chrono::seconds startDeadline{30};
constexpr std::chrono::seconds stopDeadline{10};
constexpr std::chrono::milliseconds pollInterval{5};
// The server's own end of the pipe on which it writes its display number when ready.
constexpr int displayFd = 3;
constexpr long testWorkspaces = 3;

bool onPath(std::string_view program) {
  const char* path = std::getenv("PATH");
  std::string_view rest = path != nullptr ? path : "/usr/bin:/bin";
  while (!rest.empty()) {
    const auto colon = rest.find(':');
    const auto directory = rest.substr(0, colon);
    rest = colon == std::string_view::npos ? std::string_view{} : rest.substr(colon + 1);
    if (::access((std::string(directory) + "/" + std::string(program)).c_str(), X_OK) == 0) {
      return true;
    }
  }
  return false;
}

// Starts `arguments` with output on /dev/null, optionally with `inheritedFd` as fd 3 and
// DISPLAY set to `display`.
pid_t spawn(const std::vector<std::string>& arguments, int inheritedFd,
            const std::string& display) {
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
  if (inheritedFd >= 0) {
    posix_spawn_file_actions_adddup2(&actions, inheritedFd, displayFd);
  }
  std::vector<std::string> environment;
  for (char** variable = environ; *variable != nullptr; ++variable) {
    if (std::strncmp(*variable, "DISPLAY=", 8) != 0) {
      environment.emplace_back(*variable);
    }
  }
  if (!display.empty()) {
    environment.push_back("DISPLAY=" + display);
  }
  std::vector<char*> argv;
  for (const auto& argument : arguments) {
    argv.push_back(const_cast<char*>(argument.c_str()));
  }
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& variable : environment) {
    envp.push_back(variable.data());
  }
  envp.push_back(nullptr);
  pid_t pid = -1;
  const int error = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  return error == 0 ? pid : -1;
}

void stop(pid_t& pid) {
  if (pid <= 0) {
    return;
  }
  ::kill(pid, SIGTERM);
  const auto deadline = Clock::now() + stopDeadline;
  while (::waitpid(pid, nullptr, WNOHANG) == 0) {
    if (Clock::now() > deadline) {
      ::kill(pid, SIGKILL);
      ::waitpid(pid, nullptr, 0);
      break;
    }
    std::this_thread::sleep_for(pollInterval);
  }
  pid = -1;
}

// The display number the server writes once it accepts connections.
std::string readDisplayNumber(int fd, pid_t server) {
  std::string text;
  const auto deadline = Clock::now() + startDeadline;
  while (Clock::now() < deadline && text.find('\n') == std::string::npos) {
    pollfd readable{fd, POLLIN, 0};
    if (::poll(&readable, 1, 100) > 0) {
      char buffer[32];
      const auto count = ::read(fd, buffer, sizeof buffer);
      if (count <= 0) {
        break;
      }
      text.append(buffer, static_cast<std::size_t>(count));
    } else if (::waitpid(server, nullptr, WNOHANG) != 0) {
      break;
    }
  }
  const auto end = text.find('\n');
  return end == std::string::npos ? std::string{} : text.substr(0, end);
}

// The window manager is ready once it has announced itself on the root window.
bool awaitWindowManager(const std::string& display) {
  Display* connection = XOpenDisplay(display.c_str());
  if (connection == nullptr) {
    return false;
  }
  const Atom check = XInternAtom(connection, "_NET_SUPPORTING_WM_CHECK", False);
  const Atom desktops = XInternAtom(connection, "_NET_NUMBER_OF_DESKTOPS", False);
  const auto hasProperty = [&](Atom property) {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(connection, DefaultRootWindow(connection), property, 0, 1, False,
                       AnyPropertyType, &type, &format, &count, &after, &data);
    if (data != nullptr) {
      XFree(data);
    }
    return type != None && count > 0;
  };
  // It has announced itself once the root names it; it is ready once it carries out a request
  // (openbox sets its properties before it reads its first client message, and may drop those
  // that come earlier). The request gives the tests three workspaces.
  const auto numberOfDesktops = [&] {
    Atom type = None;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    XGetWindowProperty(connection, DefaultRootWindow(connection), desktops, 0, 1, False,
                       AnyPropertyType, &type, &format, &count, &after, &data);
    const long value =
        data != nullptr && format == 32 && count > 0 ? *reinterpret_cast<long*>(data) : -1;
    if (data != nullptr) {
      XFree(data);
    }
    return value;
  };
  const auto requestDesktops = [&] {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = DefaultRootWindow(connection);
    event.xclient.message_type = desktops;
    event.xclient.format = 32;
    event.xclient.data.l[0] = testWorkspaces;
    XSendEvent(connection, DefaultRootWindow(connection), False,
               SubstructureRedirectMask | SubstructureNotifyMask, &event);
    XSync(connection, False);
  };
  bool ready = false;
  const auto deadline = Clock::now() + startDeadline;
  while (!(ready = hasProperty(check) && numberOfDesktops() == testWorkspaces) &&
         Clock::now() < deadline) {
    if (hasProperty(check)) {
      requestDesktops();
    }
    std::this_thread::sleep_for(pollInterval);
  }
  XCloseDisplay(connection);
  return ready;
}

}  // namespace

bool XvfbSession::installed() {
  return onPath("Xvfb");
}

std::unique_ptr<XvfbSession> XvfbSession::start(bool withWindowManager) {
  std::unique_ptr<XvfbSession> session(new XvfbSession);
  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    ADD_FAILURE() << "pipe: " << std::strerror(errno);
    return nullptr;
  }
  session->server_ = spawn({"Xvfb", "-displayfd", std::to_string(displayFd), "-nolisten", "tcp",
                            "-screen", "0", "1024x768x24"},
                           pipeFds[1], {});
  ::close(pipeFds[1]);
  const auto number =
      session->server_ > 0 ? readDisplayNumber(pipeFds[0], session->server_) : std::string{};
  ::close(pipeFds[0]);
  if (number.empty()) {
    ADD_FAILURE() << "Xvfb did not start within " << startDeadline.count() << " s";
    return nullptr;
  }
  session->displayName_ = ":" + number;
  if (!withWindowManager) {
    return session;
  }
  session->windowManager_ = spawn({"openbox", "--sm-disable"}, -1, session->displayName_);
  if (session->windowManager_ <= 0) {
    ADD_FAILURE() << "openbox could not be started: install it (scripts/setup)";
    return nullptr;
  }
  if (!awaitWindowManager(session->displayName_)) {
    ADD_FAILURE() << "openbox was not ready within " << startDeadline.count() << " s";
    return nullptr;
  }
  return session;
}

XvfbSession::~XvfbSession() {
  stop(windowManager_);
  stop(server_);
}

void XvfbSession::stopServer() {
  ::kill(server_, SIGKILL);
  ::waitpid(server_, nullptr, 0);
  server_ = -1;
  stop(windowManager_);
}

}  // namespace tactora::lx::test
