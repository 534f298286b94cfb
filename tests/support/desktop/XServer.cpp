#include "tests/support/desktop/XServer.h"

// Before Xlib, whose None and Bool macros would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <thread>

namespace tactora::testing {

namespace {

using namespace std::chrono_literals;

long rootCardinal(Display* connection, Atom property) {
  Atom type = None;
  int format = 0;
  unsigned long count = 0;
  unsigned long after = 0;
  unsigned char* data = nullptr;
  XGetWindowProperty(connection, DefaultRootWindow(connection), property, 0, 1, False,
                     AnyPropertyType, &type, &format, &count, &after, &data);
  const long value =
      data != nullptr && format == 32 && count > 0 ? *reinterpret_cast<long*>(data) : -1;
  if (data != nullptr) {
    XFree(data);
  }
  return value;
}

}  // namespace

std::unique_ptr<XServer> XServer::start(DesktopSession& session, WindowManager windowManager) {
  // Xvfb writes its display number on the descriptor -displayfd names once it accepts clients;
  // a file stands in for the pipe, so the server can be started like every other program.
  const auto numberFile = session.folder() / "xvfb-display";
  ChildProcess* server =
      session.start("Xvfb", {"sh", "-c",
                             "exec Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x800x24 3>'" +
                                 numberFile.string() + "'"});
  if (server == nullptr) {
    return nullptr;
  }
  std::string number;
  const bool started = eventually(
      [&] {
        std::ifstream file(numberFile);
        std::getline(file, number);
        return !number.empty() || !server->isRunning();
      },
      30s);
  if (!started || number.empty()) {
    ADD_FAILURE() << "Xvfb did not start within 30 s: " << session.log("Xvfb");
    return nullptr;
  }
  std::unique_ptr<XServer> x(new XServer);
  x->display_ = ":" + number;
  session.set("DISPLAY", x->display_);
  if (windowManager == WindowManager::openbox) {
    if (session.start("openbox", {"openbox", "--sm-disable"}) == nullptr) {
      return nullptr;
    }
    if (!awaitWindowManager(x->display_, 3)) {
      ADD_FAILURE() << "openbox was not ready within 30 s: " << session.log("openbox");
      return nullptr;
    }
  }
  return x;
}

bool XServer::awaitWindowManager(const std::string& display, long workspaces) {
  Display* connection = XOpenDisplay(display.c_str());
  if (connection == nullptr) {
    return false;
  }
  const Atom check = XInternAtom(connection, "_NET_SUPPORTING_WM_CHECK", False);
  const Atom desktops = XInternAtom(connection, "_NET_NUMBER_OF_DESKTOPS", False);
  // A window manager may set its properties before it reads its first client message and drop
  // those that come earlier, so the request is repeated until it has been carried out.
  const bool ready = eventually(
      [&] {
        if (rootCardinal(connection, check) <= 0) {
          return false;
        }
        if (workspaces <= 0 || rootCardinal(connection, desktops) == workspaces) {
          return true;
        }
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = DefaultRootWindow(connection);
        event.xclient.message_type = desktops;
        event.xclient.format = 32;
        event.xclient.data.l[0] = workspaces;
        XSendEvent(connection, DefaultRootWindow(connection), False,
                   SubstructureRedirectMask | SubstructureNotifyMask, &event);
        XSync(connection, False);
        std::this_thread::sleep_for(20ms);
        return false;
      },
      30s);
  XCloseDisplay(connection);
  return ready;
}

}  // namespace tactora::testing
