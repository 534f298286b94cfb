#include "Platform/linux/login/XdgAutostartLoginItems.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "Platform/AtomicFile.h"
#include "Platform/linux/ProcessLauncher.h"
#include "Platform/linux/desktop/DesktopEntry.h"

namespace tactora::lx {

namespace {

constexpr const char* systemctl = "systemctl";

bool hasControlCharacter(std::string_view text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
      return true;
    }
  }
  return false;
}

// Both files name the program by an absolute path on one line.
std::optional<std::string> unusablePath(const std::string& executablePath) {
  if (executablePath.empty() || executablePath.front() != '/') {
    return "the program's path \"" + executablePath + "\" is not absolute";
  }
  if (hasControlCharacter(executablePath)) {
    return "the program's path contains control characters";
  }
  return std::nullopt;
}

// One Exec argument of a desktop entry: "%" doubled (field codes), quoted when it holds a
// reserved character, with ", `, $ and \ escaped inside the quotes; then the value-level escape
// that doubles every backslash. "/opt/My Apps/tactora" becomes "\"/opt/My Apps/tactora\"".
std::string desktopExecArgument(std::string_view argument) {
  constexpr std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
  const bool quoted = argument.find_first_of(reserved) != std::string_view::npos;
  std::string unescaped;
  if (quoted) {
    unescaped += '"';
  }
  for (const char c : argument) {
    if (c == '%') {
      unescaped += "%%";
      continue;
    }
    if (quoted && (c == '"' || c == '`' || c == '$' || c == '\\')) {
      unescaped += '\\';
    }
    unescaped += c;
  }
  if (quoted) {
    unescaped += '"';
  }
  std::string value;
  for (const char c : unescaped) {
    if (c == '\\') {
      value += '\\';
    }
    value += c;
  }
  return value;
}

// A unit's ExecStart program: "%" and "$" doubled (specifiers, variables), quoted when it holds
// white space, quotes or backslashes, with " and \ escaped inside the quotes.
std::string unitExecArgument(std::string_view argument) {
  const bool quoted = argument.find_first_of(" \t\"'\\") != std::string_view::npos;
  std::string value;
  if (quoted) {
    value += '"';
  }
  for (const char c : argument) {
    if (c == '%' || c == '$') {
      value += c;
    } else if (quoted && (c == '"' || c == '\\')) {
      value += '\\';
    }
    value += c;
  }
  if (quoted) {
    value += '"';
  }
  return value;
}

}  // namespace

XdgAutostartLoginItems::XdgAutostartLoginItems(std::string configHome, std::string executablePath,
                                               Launch launch)
    : configHome_(std::move(configHome)),
      executablePath_(std::move(executablePath)),
      launch_(std::move(launch)) {
  if (!launch_) {
    launch_ = [](const std::string& executable, const std::vector<std::string>& arguments) {
      return ProcessLauncher::launchDetached(executable, arguments) > 0;
    };
  }
}

std::string XdgAutostartLoginItems::autostartEntryPath() const {
  return (std::filesystem::path(configHome_) / "autostart" / entryFileName).string();
}

std::string XdgAutostartLoginItems::agentDirectory() {
  return (std::filesystem::path(configHome_) / "systemd" / "user").string();
}

std::string XdgAutostartLoginItems::unitPath() const {
  return (std::filesystem::path(configHome_) / "systemd" / "user" / unitName).string();
}

std::string XdgAutostartLoginItems::autostartEntry(const std::string& executablePath) {
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Tactora\n"
         "Comment=Gestures for the Magic Mouse\n"
         "Exec=" +
         desktopExecArgument(executablePath) +
         "\n"
         "Icon=com.vellumworks.Tactora\n"
         "NoDisplay=false\n"
         "X-GNOME-Autostart-enabled=true\n";
}

std::string XdgAutostartLoginItems::unitFile(const std::string& executablePath) {
  return "[Unit]\n"
         "Description=Tactora, gestures for the Magic Mouse\n"
         "PartOf=" +
         std::string(unitTarget) +
         "\n"
         "After=" +
         std::string(unitTarget) +
         "\n"
         "\n"
         "[Service]\n"
         "ExecStart=" +
         unitExecArgument(executablePath) +
         "\n"
         "Restart=on-failure\n"
         "\n"
         "[Install]\n"
         "WantedBy=" +
         std::string(unitTarget) + "\n";
}

platform::LoginItemStatus XdgAutostartLoginItems::mainAppStatus() {
  std::ifstream in(autostartEntryPath());
  if (!in) {
    return platform::LoginItemStatus::notRegistered;
  }
  // The session skips an entry that is not a valid application entry, one the user hid
  // (Hidden=true, which also hides a system-wide entry of the same name) and one GNOME's switch
  // turned off.
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::optional<DesktopEntry> entry = DesktopEntry::parse(text);
  return entry && !entry->hidden && !entry->autostartOff ? platform::LoginItemStatus::enabled
                                                         : platform::LoginItemStatus::notRegistered;
}

std::optional<std::string> XdgAutostartLoginItems::registerMainApp() {
  if (auto unusable = unusablePath(executablePath_)) {
    return "cannot write " + autostartEntryPath() + ": " + *unusable;
  }
  return platform::AtomicFile::write(autostartEntryPath(), autostartEntry(executablePath_));
}

std::optional<std::string> XdgAutostartLoginItems::unregisterMainApp() {
  std::error_code error;
  std::filesystem::remove(autostartEntryPath(), error);  // a missing file is no error
  if (error) {
    return "cannot remove " + autostartEntryPath() + ": " + error.message();
  }
  return std::nullopt;
}

std::optional<std::string> XdgAutostartLoginItems::installAgent(const std::string& executablePath) {
  if (auto unusable = unusablePath(executablePath)) {
    return "cannot write " + unitPath() + ": " + *unusable;
  }
  if (auto error = platform::AtomicFile::write(unitPath(), unitFile(executablePath))) {
    return error;
  }
  // systemctl's own outcome is never awaited.
  launch_(systemctl, {"--user", "enable", std::string(unitName)});
  return std::nullopt;
}

void XdgAutostartLoginItems::removeAgent() {
  launch_(systemctl, {"--user", "disable", std::string(unitName)});
  // systemctl runs on its own and may only look for the unit after it is deleted below, when it
  // can no longer tell which link enabled it; so the link "enable" made goes here as well, and
  // no dangling link keeps asking the session for a unit that is gone.
  const std::filesystem::path directory = agentDirectory();
  std::error_code ignored;
  const std::filesystem::path link =
      directory / (std::string(unitTarget) + ".wants") / std::string(unitName);
  if (std::filesystem::is_symlink(std::filesystem::symlink_status(link, ignored))) {
    std::filesystem::remove(link, ignored);
  }
  std::filesystem::remove(unitPath(), ignored);
}

}  // namespace tactora::lx
