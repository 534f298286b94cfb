#include "tests/support/desktop/XServer.h"

// Before Xlib, whose None and Bool macros would break it.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "tests/support/desktop/XClient.h"

namespace tactora::testing {

using namespace std::chrono_literals;

std::unique_ptr<XServer> XServer::start(DesktopSession& session, WindowManager windowManager) {
  // Xvfb writes its display number on the descriptor -displayfd names once it accepts clients;
  // a file stands in for the pipe, so the server can be started like every other program.
  // Each server of the session has a name and a file of its own. -noreset: an X server resets
  // when its last client leaves, and refuses connections while it does (a test that stops the
  // only panel and then starts Tactora met that under load).
  static int servers = 0;
  const std::string name = "Xvfb-" + std::to_string(++servers);
  const auto numberFile = session.folder() / (name + "-display");
  ChildProcess* server = session.start(
      name, {"sh", "-c",
             "exec Xvfb -displayfd 3 -noreset -nolisten tcp -screen 0 1280x800x24 3>'" +
                 numberFile.string() + "'"});
  if (server == nullptr) {
    return nullptr;
  }
  const std::string number = awaitFirstLine(numberFile, *server, 30s);
  if (number.empty()) {
    ADD_FAILURE() << "Xvfb did not start within 30 s: " << session.log(name);
    return nullptr;
  }
  std::unique_ptr<XServer> x(new XServer);
  x->display_ = ":" + number;
  x->server_ = server;
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
  const auto client = XClient::connect(display);
  // A window manager may set its properties before it reads its first client message and drop
  // those that come earlier, so the request is repeated until it has been carried out.
  return client && eventually(
                       [&] {
                         if (client->rootCardinal("_NET_SUPPORTING_WM_CHECK").value_or(0) <= 0) {
                           return false;
                         }
                         if (workspaces <= 0 ||
                             client->rootCardinal("_NET_NUMBER_OF_DESKTOPS") == workspaces) {
                           return true;
                         }
                         client->request(client->root(), "_NET_NUMBER_OF_DESKTOPS", workspaces);
                         std::this_thread::sleep_for(20ms);
                         return false;
                       },
                       30s);
}

}  // namespace tactora::testing
