#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "tests/support/Eventually.h"
#include "tests/support/desktop/ChildProcess.h"

namespace tactora::testing {

// A private login session for the real desktop components a test starts: a folder of its own with
// HOME, XDG_RUNTIME_DIR (mode 0700), XDG_CONFIG_HOME, XDG_DATA_HOME and XDG_CACHE_HOME, and a
// session bus of its own (dbus-daemon, with the session's environment, so the services it
// activates see the same HOME). Its processes run as the session's user: the unprivileged
// "nobody" when `unprivileged` is asked for and the test runs as root (sway and GNOME Shell refuse
// root), else the test's own user. The test process may use the bus too (it is allowed to connect
// whatever its user). Everything it started is stopped, and the folder removed, when it is
// dropped.
class DesktopSession {
 public:
  struct Options {
    bool unprivileged = false;
  };

  // Null, with the reason in `error`, when the folder or the bus cannot be made.
  static std::unique_ptr<DesktopSession> create(Options options, std::string* error);
  ~DesktopSession();
  DesktopSession(const DesktopSession&) = delete;
  DesktopSession& operator=(const DesktopSession&) = delete;

  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path home() const { return folder_ / "home"; }
  std::filesystem::path runtimeDirectory() const { return folder_ / "runtime"; }
  std::filesystem::path configHome() const { return folder_ / "home/.config"; }
  std::filesystem::path dataHome() const { return folder_ / "home/.local/share"; }
  const std::string& busAddress() const { return busAddress_; }
  uid_t uid() const { return uid_; }
  gid_t gid() const { return gid_; }

  // Adds or replaces a variable of every process started from now on.
  void set(const std::string& name, const std::string& value);
  void unset(const std::string& name);
  std::string get(const std::string& name) const;
  // The environment of the session's processes, with `extra` ("NAME=value") on top.
  std::vector<std::string> environment(const std::vector<std::string>& extra = {}) const;
  ProcessOptions processOptions(const std::vector<std::string>& extra = {}) const;

  // Starts a program of the session, its output in `log(name)`; null (with a test failure naming
  // the reason) when it cannot be started. The session keeps it and stops it when dropped.
  ChildProcess* start(const std::string& name, const std::vector<std::string>& arguments,
                      const std::vector<std::string>& extra = {});
  // Runs a program of the session to its end.
  ProcessResult run(const std::vector<std::string>& arguments,
                    const std::vector<std::string>& extra = {},
                    std::chrono::milliseconds timeout = std::chrono::seconds(20)) const;
  // What the program started as `name` has printed so far.
  std::string log(const std::string& name) const;
  std::filesystem::path logPath(const std::string& name) const;

  // busctl's answer (`--json=short`) to `arguments` ("call", "org.gnome.Shell", path, interface,
  // member, signature, values...) on the session's bus, asked by the test's own process: the
  // reply's values, or nothing when it failed (`error` then says why).
  std::optional<nlohmann::json> busctl(const std::vector<std::string>& arguments,
                                       std::string* error = nullptr) const;

  // Gives `path` and everything below it to the session's user.
  void own(const std::filesystem::path& path) const;
  // Writes a file below the session's folder (making the folders on the way), owned by the
  // session's user; returns its path.
  std::filesystem::path write(const std::filesystem::path& relative, const std::string& text) const;
  // Installs the application `id` as the desktop knows applications: $XDG_DATA_HOME/applications/
  // <id>.desktop, named `name`, with `keys` ("StartupWMClass=...\n") added.
  void installApplication(const std::string& id, const std::string& name,
                          const std::string& keys = {}) const;

  // Points this test process at the session: its bus and display variables (the library code
  // under test reads them), restored when the session is dropped.
  void enter();

 private:
  DesktopSession() = default;
  bool startBus(std::string* error);

  std::filesystem::path folder_;
  uid_t uid_ = 0;
  gid_t gid_ = 0;
  std::map<std::string, std::string> variables_;
  std::string busAddress_;
  std::vector<std::pair<std::string, std::unique_ptr<ChildProcess>>> processes_;
  std::map<std::string, std::optional<std::string>> savedEnvironment_;
};

// The first line a program writes to `file` (a display number, a socket's name), waiting up to
// `timeout`; empty when it ended or the time ran out first.
std::string awaitFirstLine(const std::filesystem::path& file, ChildProcess& writer,
                           std::chrono::milliseconds timeout);

// Expects each of `parts` somewhere in `text` (a program's output); a failure names the part
// missing and shows the whole text.
void expectContains(const std::string& text, const std::vector<std::string>& parts);

}  // namespace tactora::testing
