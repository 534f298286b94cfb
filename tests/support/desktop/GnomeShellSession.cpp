#include "tests/support/desktop/GnomeShellSession.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <system_error>

namespace tactora::testing {

namespace {

using namespace std::chrono_literals;

// A start normally takes a few seconds; one that has not finished in this time has hung.
constexpr auto startTimeout = 60s;
constexpr int startAttempts = 3;

constexpr const char* helperUuid = "tactora-test@vellumworks.com";
constexpr const char* helperMetadata = R"({
  "uuid": "tactora-test@vellumworks.com",
  "name": "Tactora tests",
  "description": "Lets Tactora's tests look at the shell.",
  "shell-version": ["42", "43", "44"]
})";
// Unsafe mode answers Eval and the screenshot interface to any caller; the banner the shell shows
// about it would stand in every screenshot.
constexpr const char* helperScript = R"(const Main = imports.ui.main;
function init() {
    return {
        enable() {
            Main.messageTray.bannerBlocked = true;
            global.context.unsafe_mode = true;
        },
        disable() {
            global.context.unsafe_mode = false;
            Main.messageTray.bannerBlocked = false;
        },
    };
}
)";

}  // namespace

std::unique_ptr<GnomeShellSession> GnomeShellSession::start(const Options& options) {
  std::string reasons;
  for (int attempt = 1; attempt <= startAttempts; ++attempt) {
    std::unique_ptr<GnomeShellSession> shell(new GnomeShellSession);
    std::string reason;
    if (shell->tryStart(options, &reason)) {
      return shell;
    }
    reasons += "\ntry " + std::to_string(attempt) + ": " + reason;
  }
  ADD_FAILURE() << "GNOME Shell did not start in " << startAttempts << " tries:" << reasons;
  return nullptr;
}

bool GnomeShellSession::tryStart(const Options& options, std::string* error) {
  session_ = DesktopSession::create({.unprivileged = true}, error);
  if (!session_) {
    return false;
  }
  DesktopSession& session = *session_;

  // The extensions, each a link to a folder of the session, enabled through dconf.
  const std::filesystem::path helper = std::filesystem::path("extensions") / helperUuid;
  session.write(helper / "metadata.json", helperMetadata);
  session.write(helper / "extension.js", helperScript);
  std::vector<std::filesystem::path> folders = options.extensions;
  folders.push_back(session.folder() / helper);
  const auto installed = session.dataHome() / "gnome-shell/extensions";
  std::error_code failure;
  std::filesystem::create_directories(installed, failure);
  std::vector<std::string> uuids;
  for (const auto& folder : folders) {
    const auto uuid = folder.filename();
    const auto copy = session.folder() / "extensions" / uuid;
    if (copy != folder) {
      std::filesystem::copy(folder, copy, std::filesystem::copy_options::recursive, failure);
    }
    std::filesystem::create_directory_symlink(copy, installed / uuid, failure);
    if (failure) {
      *error = "cannot install the extension " + folder.string() + ": " + failure.message();
      return false;
    }
    uuids.push_back(uuid.string());
  }
  session.own(session.folder() / "extensions");
  session.own(session.dataHome() / "gnome-shell");
  const ProcessResult enabled = session.run(
      {"gsettings", "set", "org.gnome.shell", "enabled-extensions", nlohmann::json(uuids).dump()});
  if (enabled.status != 0) {
    *error = "cannot enable the extensions: " + enabled.output;
    return false;
  }

  for (const std::string& appId : options.applications) {
    session.installApplication(appId, appId.substr(appId.rfind('.') + 1));
  }

  // The stand-in system bus, as the session's user.
  const auto systemBus = session.home() / ".system-bus";
  if (session.start("system-bus", {"dbus-daemon", "--session", "--nofork", "--nopidfile",
                                   "--address=unix:path=" + systemBus.string()}) == nullptr) {
    *error = "the stand-in system bus did not start";
    return false;
  }
  session.set("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + systemBus.string());
  session.set("XDG_SESSION_TYPE", "wayland");
  session.set("XDG_CURRENT_DESKTOP", "GNOME");
  session.set("NO_AT_BRIDGE", "1");

  // Root makes the namespace, mounts over /run/systemd in it, then becomes the session's user.
  std::vector<std::string> command{"gnome-shell", "--headless", "--wayland", "--virtual-monitor",
                                   "1280x800"};
  ProcessOptions processOptions = session.processOptions();
  if (::getuid() == 0) {
    processOptions.uid.reset();
    processOptions.gid.reset();
    const std::string user =
        "--reuid=" + std::to_string(session.uid()) + " --regid=" + std::to_string(session.gid());
    command.insert(command.begin(), {"unshare", "--mount", "--propagation", "private", "sh", "-c",
                                     "if [ -d /run/systemd ]; then mount -t tmpfs none "
                                     "/run/systemd; fi && exec setpriv " +
                                         user + " --clear-groups \"$0\" \"$@\""});
  }
  processOptions.logFile = session.logPath("gnome-shell").string();
  shell_ = ChildProcess::start(command, processOptions, error);
  if (!shell_) {
    return false;
  }
  // Ready once its start-up animation is over: until then it may still open the overview.
  const bool ready = eventually(
      [&] {
        return evaluate("imports.ui.main.layoutManager._startingUp") == false ||
               !shell_->isRunning();
      },
      startTimeout);
  if (!ready || !shell_->isRunning()) {
    *error = std::string(ready ? "it ended" : "no answer within the start timeout") +
             "; its log:\n" + session.log("gnome-shell");
    return false;
  }
  session.set("WAYLAND_DISPLAY", "wayland-0");
  // A fresh shell opens its overview; windows opened later get the focus only without it.
  if (!call({"org.gnome.Shell", "/org/gnome/Shell", "org.freedesktop.DBus.Properties", "Set", "ssv",
             "org.gnome.Shell", "OverviewActive", "b", "false"},
            error)) {
    return false;
  }
  if (!eventually([&] { return evaluate("imports.ui.main.overview.visible") == false; })) {
    *error = "the overview did not close";
    return false;
  }
  return true;
}

GnomeShellSession::~GnomeShellSession() {
  if (shell_) {
    shell_->stop(3s);
  }
}

std::optional<nlohmann::json> GnomeShellSession::evaluate(const std::string& script) const {
  const auto reply =
      call({"org.gnome.Shell", "/org/gnome/Shell", "org.gnome.Shell", "Eval", "s", script});
  if (!reply || reply->size() != 2 || !reply->at(0).is_boolean() || !reply->at(0).get<bool>() ||
      !reply->at(1).is_string()) {
    return std::nullopt;
  }
  return nlohmann::json::parse(reply->at(1).get<std::string>(), nullptr, false);
}

std::string GnomeShellSession::focusedWindow() const {
  const auto focused = evaluate("global.display.focus_window?.get_wm_class() ?? ''");
  return focused && focused->is_string() ? focused->get<std::string>() : std::string();
}

bool GnomeShellSession::focus(const std::string& appId) const {
  return evaluate(
             "(() => { const a = global.get_window_actors().find(a => "
             "a.meta_window.get_wm_class() === " +
             nlohmann::json(appId).dump() +
             "); a?.meta_window.activate(global.get_current_time()); return !!a; })()") == true;
}

ChildProcess* GnomeShellSession::openWindow(const std::string& name, const std::string& appId) {
  if (!std::filesystem::exists(session_->dataHome() / "applications" / (appId + ".desktop"))) {
    session_->installApplication(appId, appId.substr(appId.rfind('.') + 1));
  }
  // A window whose application the shell does not know yet stays an application of its own.
  const std::string known = "imports.gi.Shell.AppSystem.get_default().lookup_app(" +
                            nlohmann::json(appId + ".desktop").dump() + ") !== null";
  if (!eventually([&] { return evaluate(known) == true; })) {
    ADD_FAILURE() << "GNOME Shell did not find " << appId << ".desktop";
    return nullptr;
  }
  ChildProcess* window = session_->start(
      name, {"zenity", "--info", "--title=" + name, "--text=" + name, "--name=" + appId},
      {"GDK_BACKEND=wayland"});
  if (window != nullptr && !eventually([&] { return focusedWindow() == appId; })) {
    ADD_FAILURE() << name << " (" << appId << ") did not get the focus; focused: \""
                  << focusedWindow() << "\"; its output: " << session_->log(name);
    return nullptr;
  }
  return window;
}

}  // namespace tactora::testing
