#include "tests/support/desktop/DesktopSession.h"

#include <gtest/gtest.h>
#include <pwd.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "tests/support/SourceTree.h"

namespace tactora::testing {

namespace {

using namespace std::chrono_literals;

// The test process (root, in CI) may connect to a bus run by the unprivileged user; a session
// bus otherwise admits only its own user.
constexpr const char* busConfiguration = R"(<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <include>/usr/share/dbus-1/session.conf</include>
  <policy context="default"><allow user="root"/></policy>
</busconfig>
)";

}  // namespace

std::unique_ptr<DesktopSession> DesktopSession::create(Options options, std::string* error) {
  std::unique_ptr<DesktopSession> session(new DesktopSession);
  std::string pattern =
      (std::filesystem::temp_directory_path() / "tactora-desktop-XXXXXX").string();
  if (::mkdtemp(pattern.data()) == nullptr) {
    *error = std::string("mkdtemp: ") + std::strerror(errno);
    return nullptr;
  }
  session->folder_ = pattern;
  session->uid_ = ::getuid();
  session->gid_ = ::getgid();
  std::string userName = "root";
  if (options.unprivileged && ::getuid() == 0) {
    const passwd* nobody = ::getpwnam("nobody");
    if (nobody == nullptr) {
      *error = "there is no user \"nobody\" to run the desktop as";
      return nullptr;
    }
    session->uid_ = nobody->pw_uid;
    session->gid_ = nobody->pw_gid;
    userName = "nobody";
  } else if (const passwd* user = ::getpwuid(::getuid())) {
    userName = user->pw_name;
  }
  std::error_code ignored;
  // The folder must be reachable by the session's user; its contents are the user's own.
  std::filesystem::permissions(session->folder_, std::filesystem::perms(0755), ignored);
  for (const auto& path : {session->home(), session->configHome(), session->dataHome(),
                           session->home() / ".cache", session->runtimeDirectory()}) {
    std::filesystem::create_directories(path, ignored);
  }
  std::filesystem::permissions(session->runtimeDirectory(), std::filesystem::perms(0700), ignored);
  session->own(session->home());
  session->own(session->runtimeDirectory());

  const char* path = std::getenv("PATH");
  session->variables_ = {
      {"PATH", path != nullptr ? path : "/usr/local/bin:/usr/bin:/bin"},
      {"LANG", "C.UTF-8"},
      {"SHELL", "/bin/sh"},
      {"USER", userName},
      {"LOGNAME", userName},
      {"HOME", session->home().string()},
      {"XDG_RUNTIME_DIR", session->runtimeDirectory().string()},
      {"XDG_CONFIG_HOME", session->configHome().string()},
      {"XDG_DATA_HOME", session->dataHome().string()},
      {"XDG_CACHE_HOME", (session->home() / ".cache").string()},
  };
  // Sanitizer settings reach the programs under test that the session starts.
  for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "TSAN_OPTIONS", "LSAN_OPTIONS"}) {
    if (const char* value = std::getenv(name)) {
      session->variables_[name] = value;
    }
  }
  if (!session->startBus(error)) {
    return nullptr;
  }
  return session;
}

bool DesktopSession::startBus(std::string* error) {
  const auto configuration = write("bus.conf", busConfiguration);
  const auto socket = runtimeDirectory() / "bus";
  std::string reason;
  auto bus =
      ChildProcess::start({"dbus-daemon", "--config-file=" + configuration.string(),
                           "--address=unix:path=" + socket.string(), "--nofork", "--nopidfile"},
                          processOptions(), &reason);
  if (!bus) {
    *error = "the session bus did not start: " + reason;
    return false;
  }
  processes_.emplace_back("dbus-daemon", std::move(bus));
  // The socket's file appears when the daemon binds it, a moment before it listens: ready is when
  // the daemon answers.
  busAddress_ = "unix:path=" + socket.string();
  if (!eventually(
          [&] {
            return busctl({"call", "org.freedesktop.DBus", "/org/freedesktop/DBus",
                           "org.freedesktop.DBus", "GetId"})
                .has_value();
          },
          10s)) {
    *error = "the session bus did not start within 10 s";
    return false;
  }
  variables_["DBUS_SESSION_BUS_ADDRESS"] = busAddress_;
  return true;
}

DesktopSession::~DesktopSession() {
  // The last started first: clients before their compositor, everything before the bus.
  while (!processes_.empty()) {
    processes_.back().second->stop(3s);
    processes_.pop_back();
  }
  for (const auto& [name, value] : savedEnvironment_) {
    if (value) {
      ::setenv(name.c_str(), value->c_str(), 1);
    } else {
      ::unsetenv(name.c_str());
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(folder_, ignored);
}

void DesktopSession::set(const std::string& name, const std::string& value) {
  variables_[name] = value;
}

void DesktopSession::unset(const std::string& name) {
  variables_.erase(name);
}

std::string DesktopSession::get(const std::string& name) const {
  const auto it = variables_.find(name);
  return it != variables_.end() ? it->second : std::string();
}

std::vector<std::string> DesktopSession::environment(const std::vector<std::string>& extra) const {
  std::map<std::string, std::string> merged = variables_;
  for (const auto& variable : extra) {
    const auto equals = variable.find('=');
    merged[variable.substr(0, equals)] =
        equals == std::string::npos ? std::string() : variable.substr(equals + 1);
  }
  std::vector<std::string> environment;
  for (const auto& [name, value] : merged) {
    environment.push_back(name + "=" + value);
  }
  return environment;
}

ProcessOptions DesktopSession::processOptions(const std::vector<std::string>& extra) const {
  ProcessOptions options;
  options.environment = environment(extra);
  if (uid_ != ::getuid()) {
    options.uid = uid_;
    options.gid = gid_;
  }
  options.workingDirectory = home().string();
  return options;
}

ChildProcess* DesktopSession::start(const std::string& name,
                                    const std::vector<std::string>& arguments,
                                    const std::vector<std::string>& extra) {
  ProcessOptions options = processOptions(extra);
  options.logFile = logPath(name).string();
  std::string error;
  auto process = ChildProcess::start(arguments, options, &error);
  if (!process) {
    ADD_FAILURE() << name << " did not start: " << error;
    return nullptr;
  }
  processes_.emplace_back(name, std::move(process));
  return processes_.back().second.get();
}

ProcessResult DesktopSession::run(const std::vector<std::string>& arguments,
                                  const std::vector<std::string>& extra,
                                  std::chrono::milliseconds timeout) const {
  return runProcess(arguments, processOptions(extra), timeout);
}

std::filesystem::path DesktopSession::logPath(const std::string& name) const {
  return folder_ / (name + ".log");
}

std::string DesktopSession::log(const std::string& name) const {
  return readFile(logPath(name));
}

std::optional<nlohmann::json> DesktopSession::busctl(const std::vector<std::string>& arguments,
                                                     std::string* error) const {
  std::vector<std::string> command{"busctl", "--address=" + busAddress_, "--json=short"};
  command.insert(command.end(), arguments.begin(), arguments.end());
  const ProcessResult result = runProcess(command, ProcessOptions{}, 10s);
  if (result.status == 0 && result.output.find_first_not_of(" \n") == std::string::npos) {
    return nlohmann::json::array();  // a reply without values
  }
  const auto reply = nlohmann::json::parse(result.output, nullptr, false);
  if (result.status == 0 && reply.is_object()) {
    return reply.value("data", nlohmann::json::array());
  }
  if (error != nullptr) {
    *error = result.output;
  }
  return std::nullopt;
}

void DesktopSession::own(const std::filesystem::path& path) const {
  [[maybe_unused]] int result = ::lchown(path.c_str(), uid_, gid_);
  std::error_code error;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(path, error)) {
    result = ::lchown(entry.path().c_str(), uid_, gid_);
  }
}

std::filesystem::path DesktopSession::write(const std::filesystem::path& relative,
                                            const std::string& text) const {
  const auto path = folder_ / relative;
  std::error_code ignored;
  std::filesystem::create_directories(path.parent_path(), ignored);
  std::ofstream(path) << text;
  for (auto part = path; part != folder_ && part.has_parent_path(); part = part.parent_path()) {
    [[maybe_unused]] const int result = ::lchown(part.c_str(), uid_, gid_);
  }
  return path;
}

void DesktopSession::enter() {
  for (const auto& [name, value] : variables_) {
    if (name == "PATH" || name == "LANG") {
      continue;
    }
    if (!savedEnvironment_.contains(name)) {
      const char* previous = std::getenv(name.c_str());
      savedEnvironment_[name] =
          previous != nullptr ? std::optional<std::string>(previous) : std::nullopt;
    }
    ::setenv(name.c_str(), value.c_str(), 1);
  }
}

void DesktopSession::installApplication(const std::string& id, const std::string& name,
                                        const std::string& keys) const {
  write(std::filesystem::relative(dataHome(), folder_) / "applications" / (id + ".desktop"),
        "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n" + keys);
}

std::string awaitFirstLine(const std::filesystem::path& file, ChildProcess& writer,
                           std::chrono::milliseconds timeout) {
  std::string line;
  eventually(
      [&] {
        std::ifstream text(file);
        std::getline(text, line);
        return !line.empty() || !writer.isRunning();
      },
      timeout);
  return line;
}

void expectContains(const std::string& text, const std::vector<std::string>& parts) {
  for (const std::string& part : parts) {
    EXPECT_NE(text.find(part), std::string::npos) << part << "\n" << text;
  }
}

}  // namespace tactora::testing
