#include "tests/support/desktop/TrayPanel.h"

// Before Xlib, whose None and Bool macros would break it.
#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <csignal>
#include <fstream>

namespace tactora::testing {

namespace {

using namespace std::chrono_literals;

constexpr int panelHeight = 32;
constexpr int screenWidth = 1280;

// One bar at the top of the output holding only the tray.
const std::string waybarConfiguration = R"({"layer": "top", "position": "top", "height": 32,
  "modules-right": ["tray"], "tray": {"icon-size": 22, "spacing": 8}})";

// One panel across the top with only the notification area; a configuration in place also keeps
// the panel from asking on first start which layout to use.
const std::string xfcePanelConfiguration = R"(<?xml version="1.0" encoding="UTF-8"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="icon-size" type="uint" value="22"/>
      <property name="plugin-ids" type="array">
        <value type="int" value="1"/>
      </property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
)";

}  // namespace

std::unique_ptr<TrayPanel> TrayPanel::start(DesktopSession& session, Kind kind) {
  std::unique_ptr<TrayPanel> panel(new TrayPanel(session, kind));
  panel->height_ = panelHeight;
  switch (kind) {
    case Kind::waybar:
      panel->sway_ = SwaySession::start(session);
      session.write("home/.config/waybar/config", waybarConfiguration);
      break;
    case Kind::xfcePanel:
      panel->x_ = XServer::start(session, XServer::WindowManager::none);
      session.write("home/.config/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml",
                    xfcePanelConfiguration);
      break;
  }
  return (panel->sway_ || panel->x_) && panel->launch() ? std::move(panel) : nullptr;
}

bool TrayPanel::launch() {
  const std::string name =
      (kind_ == Kind::waybar ? "waybar-" : "xfce4-panel-") + std::to_string(++starts_);
  switch (kind_) {
    case Kind::waybar:
      process_ = session_.start(name, {"waybar"});
      break;
    case Kind::xfcePanel:
      // No window manager is needed for a panel that only shows the tray.
      process_ = session_.start(name, {"xfce4-panel", "--disable-wm-check"});
      break;
  }
  if (process_ == nullptr) {
    return false;
  }
  if (!eventually([&] { return watcherOwned() || !process_->isRunning(); }, 30s) ||
      !process_->isRunning()) {
    ADD_FAILURE() << name << " did not take org.kde.StatusNotifierWatcher within 30 s: " << log();
    return false;
  }
  return true;
}

bool TrayPanel::stop() {
  if (process_ != nullptr) {
    process_->stop();
  }
  return eventually([&] { return !watcherOwned(); }, 10s);
}

bool TrayPanel::running() {
  return process_ != nullptr && process_->isRunning();
}

void TrayPanel::pause(bool paused) {
  // The whole group: xfce4-panel runs plugins in helper processes of its own.
  if (process_ != nullptr && process_->isRunning()) {
    ::kill(-process_->pid(), paused ? SIGSTOP : SIGCONT);
  }
}

std::string TrayPanel::log() const {
  return session_.log((kind_ == Kind::waybar ? "waybar-" : "xfce4-panel-") +
                      std::to_string(starts_));
}

std::filesystem::path TrayPanel::picture(int height) const {
  height = height > 0 ? height : height_;
  const std::string size = std::to_string(screenWidth) + " " + std::to_string(height);
  if (kind_ == Kind::waybar) {
    const auto file = session_.home() / "panel.png";
    const std::string geometry =
        "0,0 " + std::to_string(screenWidth) + "x" + std::to_string(height);
    return session_.run({"grim", "-g", geometry, file.string()}).status == 0 ? file : "";
  }
  Display* connection = XOpenDisplay(session_.get("DISPLAY").c_str());
  XImage* image = connection == nullptr ? nullptr
                                        : XGetImage(connection, DefaultRootWindow(connection), 0, 0,
                                                    screenWidth, height, AllPlanes, ZPixmap);
  const auto file = session_.home() / "panel.ppm";
  std::ofstream out(file, std::ios::binary);
  out << "P6\n" << size << "\n255\n";
  for (int y = 0; image != nullptr && y < height; ++y) {
    for (int x = 0; x < screenWidth; ++x) {
      const unsigned long pixel = XGetPixel(image, x, y);
      out << static_cast<char>(pixel >> 16) << static_cast<char>(pixel >> 8)
          << static_cast<char>(pixel);
    }
  }
  if (image != nullptr) {
    XDestroyImage(image);
  }
  if (connection != nullptr) {
    XCloseDisplay(connection);
  }
  return image != nullptr ? file : "";
}

bool TrayPanel::watcherOwned() const {
  return session_
             .busctl({"call", "org.freedesktop.DBus", "/org/freedesktop/DBus",
                      "org.freedesktop.DBus", "NameHasOwner", "s", "org.kde.StatusNotifierWatcher"})
             .value_or(nlohmann::json()) == nlohmann::json::array({true});
}

}  // namespace tactora::testing
