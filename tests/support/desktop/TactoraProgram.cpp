#include "tests/support/desktop/TactoraProgram.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>

namespace tactora::testing {

std::unique_ptr<TactoraProgram> TactoraProgram::install(DesktopSession& session) {
  const char* binaryDirectory = std::getenv("TACTORA_BINARY_DIR");
  const std::filesystem::path build = binaryDirectory != nullptr ? binaryDirectory : "";
  if (build.empty() || !std::filesystem::exists(build / "tactora")) {
    ADD_FAILURE() << "the tactora program is not built (TACTORA_BINARY_DIR=" << build.string()
                  << ")";
    return nullptr;
  }
  std::unique_ptr<TactoraProgram> program(new TactoraProgram(session));
  const auto folder = session.folder() / "bin";
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  // The program and every provider library it may load from beside itself.
  for (const auto& entry : std::filesystem::directory_iterator(build, error)) {
    const std::string name = entry.path().filename().string();
    if (name == "tactora" || (name.starts_with("libTactora") && name.ends_with(".so"))) {
      std::filesystem::copy_file(entry.path(), folder / name,
                                 std::filesystem::copy_options::overwrite_existing, error);
      if (error) {
        ADD_FAILURE() << "cannot copy " << entry.path() << ": " << error.message();
        return nullptr;
      }
    }
  }
  std::filesystem::permissions(folder, std::filesystem::perms(0755), error);
  program->path_ = folder / "tactora";
  return program;
}

std::filesystem::path TactoraProgram::configurationDirectory() const {
  return session_.configHome() / "Tactora";
}

void TactoraProgram::writeConfiguration(const std::string& json) const {
  session_.write(
      std::filesystem::relative(configurationDirectory() / "config.json", session_.folder()), json);
}

std::vector<std::string> TactoraProgram::command(const std::vector<std::string>& arguments) const {
  std::vector<std::string> command{path_.string()};
  command.insert(command.end(), arguments.begin(), arguments.end());
  return command;
}

ChildProcess* TactoraProgram::start(const std::string& name,
                                    const std::vector<std::string>& arguments,
                                    const std::vector<std::string>& extra) const {
  return session_.start(name, command(arguments), extra);
}

ProcessResult TactoraProgram::run(const std::vector<std::string>& arguments,
                                  const std::vector<std::string>& extra,
                                  std::chrono::milliseconds timeout) const {
  return session_.run(command(arguments), extra, timeout);
}

}  // namespace tactora::testing
