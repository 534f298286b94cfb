#include "tests/support/desktop/KWinSession.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "tests/support/desktop/XServer.h"

namespace tactora::testing {

using namespace std::chrono_literals;

std::unique_ptr<KWinSession> KWinSession::start(DesktopSession& session, Kind kind) {
  session.set("XDG_CURRENT_DESKTOP", "KDE");
  session.set("KDE_SESSION_VERSION", "5");
  session.set("KDE_FULL_SESSION", "true");
  session.set("QT_LOGGING_RULES", "kwin_scripting=true");
  std::unique_ptr<KWinSession> kwin(new KWinSession(session));
  if (kind != Kind::wayland) {
    session.set("XDG_SESSION_TYPE", "x11");
    if (!XServer::start(session, XServer::WindowManager::none) ||
        session.start("kglobalaccel5", {"kglobalaccel5"}) == nullptr ||
        !kwin->startX11(kind == Kind::x11Composited, false)) {
      return nullptr;
    }
    return kwin;
  }

  // The installed kwin_wayland carries a file capability, which cannot be exercised here; a copy
  // without it runs, under its own name (a renamed copy aborts). The program it is given to run
  // once Xwayland is up writes down the X display.
  session.set("XDG_SESSION_TYPE", "wayland");
  session.set("WAYLAND_DISPLAY", "wayland-kwin");
  const auto folder = session.folder() / "kwin";
  const auto displayFile = folder / "x-display";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  std::filesystem::copy_file("/usr/bin/kwin_wayland", folder / "kwin_wayland", error);
  const auto tell = session.write(
      "kwin/tell-display", "#!/bin/sh\necho \"$DISPLAY\" > '" + displayFile.string() + "'\n");
  std::filesystem::permissions(tell, std::filesystem::perms(0755), error);
  ChildProcess* compositor = session.start(
      "kwin", {(folder / "kwin_wayland").string(), "--virtual", "--xwayland", "--socket",
               "wayland-kwin", "--width", "1280", "--height", "800", tell.string()});
  const std::string display =
      compositor != nullptr ? awaitFirstLine(displayFile, *compositor, 60s) : "";
  if (display.empty()) {
    ADD_FAILURE() << "kwin_wayland did not start Xwayland within 60 s: " << session.log("kwin");
    return nullptr;
  }
  session.set("DISPLAY", display);
  if (!XServer::awaitWindowManager(display, 4)) {
    ADD_FAILURE() << "kwin_wayland did not manage Xwayland within 30 s: " << session.log("kwin");
    return nullptr;
  }
  return kwin->awaitReady(true) ? std::move(kwin) : nullptr;
}

bool KWinSession::startX11(bool composited, bool replacing) {
  const std::string previous = kwinOwner();
  std::vector<std::string> command{"kwin_x11"};
  if (replacing) {
    command.push_back("--replace");
  }
  const std::string name = "kwin-" + std::to_string(++kwinStarts_);
  ChildProcess* replaced = kwin_;
  kwin_ = session_.start(name, command, {composited ? "KWIN_COMPOSE=O2" : "KWIN_COMPOSE=N"});
  if (kwin_ == nullptr) {
    return false;
  }
  // The old KWin still takes shortcuts from kglobalaccel while it goes.
  if (replaced != nullptr && !replaced->wait(30s)) {
    ADD_FAILURE() << "the replaced kwin_x11 did not end within 30 s";
    return false;
  }
  // Until the new KWin owns its bus name, the old one answers for it.
  if (!eventually([&] { return !kwinOwner().empty() && kwinOwner() != previous; }, 60s) ||
      !XServer::awaitWindowManager(session_.get("DISPLAY"), 4)) {
    ADD_FAILURE() << "kwin_x11 did not take over the X server within 60 s: " << session_.log(name);
    return false;
  }
  composited_ = composited;
  return awaitReady(composited);
}

bool KWinSession::replace(bool composited) {
  return startX11(composited, true);
}

std::string KWinSession::kwinOwner() const {
  const auto owner = session_.busctl({"call", "org.freedesktop.DBus", "/org/freedesktop/DBus",
                                      "org.freedesktop.DBus", "GetNameOwner", "s", "org.kde.KWin"});
  return owner && !owner->empty() ? owner->at(0).get<std::string>() : "";
}

bool KWinSession::awaitReady(bool composited) {
  const bool ready = eventually(
      [&] {
        const bool scripting = run({"busctl", "--user", "introspect", "org.kde.KWin", "/Scripting"})
                                   .find("org.kde.kwin.Scripting") != std::string::npos;
        const bool shortcuts =
            run({"busctl", "--user", "call", "org.kde.kglobalaccel", "/component/kwin",
                 "org.kde.kglobalaccel.Component", "shortcutNames"})
                .find("Window Close") != std::string::npos;
        const bool effects =
            session_
                .busctl({"call", "org.kde.KWin", "/Effects", "org.kde.kwin.Effects",
                         "isEffectLoaded", "s", "overview"})
                .value_or(nlohmann::json()) == nlohmann::json::array({true});
        return scripting && shortcuts && effects == composited;
      },
      60s);
  if (!ready) {
    ADD_FAILURE() << "KWin was not ready within 60 s";
  }
  return ready;
}

std::string KWinSession::run(const std::vector<std::string>& arguments) const {
  return session_.run(arguments, {}, 10s).output;
}

bool KWinSession::openXWindow(const std::string& title, const std::string& instance,
                              const std::string& windowClass) {
  return session_.start(title, {"xterm", "-name", instance, "-class", windowClass, "-title", title,
                                "-e", "sleep", "100000"}) != nullptr &&
         eventually([&] { return activeWindowTitle() == title; }, 30s);
}

bool KWinSession::openWaylandWindow(const std::string& title, const std::string& appId) {
  return session_.start(
             title, {"zenity", "--info", "--name=" + appId, "--title=" + title, "--text=" + title},
             {"GDK_BACKEND=wayland"}) != nullptr;
}

std::optional<int> KWinSession::currentDesktop() const {
  const ProcessResult desktop = session_.run({"xdotool", "get_desktop"}, {}, 10s);
  return desktop.status == 0 ? std::optional(std::atoi(desktop.output.c_str())) : std::nullopt;
}

bool KWinSession::hasWindow(const std::string& title) const {
  // Each line of `wmctrl -l` ends with the window's title.
  return run({"wmctrl", "-l"}).find(" " + title + "\n") != std::string::npos;
}

std::string KWinSession::activeWindowTitle() const {
  const ProcessResult title =
      session_.run({"xdotool", "getactivewindow", "getwindowname"}, {}, 10s);
  return title.status == 0 ? title.output.substr(0, title.output.find('\n')) : std::string();
}

bool KWinSession::activate(const std::string& title) const {
  return eventually([&] {
    run({"wmctrl", "-a", title});
    return activeWindowTitle() == title;
  });
}

bool KWinSession::showingDesktop() const {
  return run({"xprop", "-root", "_NET_SHOWING_DESKTOP"}).find("= 1") != std::string::npos;
}

std::vector<std::string> KWinSession::activeEffects() const {
  return session_
      .busctl({"get-property", "org.kde.KWin", "/Effects", "org.kde.kwin.Effects", "activeEffects"})
      .value_or(nlohmann::json::array())
      .get<std::vector<std::string>>();
}

}  // namespace tactora::testing
