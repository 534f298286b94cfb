#include "tests/support/desktop/TrayPanel.h"

#include <gtest/gtest.h>

#include <csignal>

namespace tactora::testing {

namespace {

using namespace std::chrono_literals;

constexpr int panelHeight = 32;

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
      session.write("home/.config/waybar/config", waybarConfiguration);
      break;
    case Kind::xfcePanel:
      session.write("home/.config/xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml",
                    xfcePanelConfiguration);
      break;
  }
  return panel->launch() ? std::move(panel) : nullptr;
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

bool TrayPanel::watcherOwned() const {
  const ProcessResult answer =
      session_.run({"dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus",
                    "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
                    "string:org.kde.StatusNotifierWatcher"},
                   {}, 5s);
  return answer.status == 0 && answer.output.find("boolean true") != std::string::npos;
}

}  // namespace tactora::testing
