#pragma once

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/desktop/DesktopSession.h"

namespace tactora::testing {

// The `tactora` program as a desktop session's user runs it: the build's program and the provider
// libraries beside it, copied into the session's folder (the build tree may not be readable by
// that user), with its configuration in the session's $XDG_CONFIG_HOME/Tactora.
class TactoraProgram {
 public:
  // Null, with a test failure, when the build's program is not found ($TACTORA_BINARY_DIR names
  // the build tree).
  static std::unique_ptr<TactoraProgram> install(DesktopSession& session);

  const std::filesystem::path& path() const { return path_; }
  // Writes config.json in the session's configuration folder.
  void writeConfiguration(const std::string& json) const;
  std::filesystem::path configurationDirectory() const;

  // Starts the program with `arguments` as the session's user; its output in session.log(name).
  ChildProcess* start(const std::string& name, const std::vector<std::string>& arguments,
                      const std::vector<std::string>& extra = {}) const;
  // Runs it to its end.
  ProcessResult run(const std::vector<std::string>& arguments,
                    const std::vector<std::string>& extra = {},
                    std::chrono::milliseconds timeout = std::chrono::seconds(30)) const;

 private:
  explicit TactoraProgram(DesktopSession& session) : session_(session) {}
  std::vector<std::string> command(const std::vector<std::string>& arguments) const;

  DesktopSession& session_;
  std::filesystem::path path_;
};

}  // namespace tactora::testing
