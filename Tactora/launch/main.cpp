// The `tactora` program. The commands that only read files — `replay` (a recording through the
// whole application on the simulated desktop) and `config` — run here; everything else (the
// desktop application, `settings`, `--play`, `monitor`, `devices`, `doctor`, `--help`) lives in
// the desktop library, loaded only when one of them runs. A replay therefore never loads Qt or the
// desktop's libraries, whose loading alone costs more than replaying minutes of a recording.

#include <dlfcn.h>

#include <iostream>
#include <string>
#include <string_view>

#include <CLI/CLI.hpp>

#include "Platform/PrivateLibrary.h"
#include "Tactora/main/ConfigCommand.h"
#include "Tactora/main/ProgramText.h"
#include "Tactora/main/ReplayCommand.h"

namespace {

constexpr const char* desktopLibrary = "libTactoraDesktop.so";
constexpr const char* desktopEntry = "tactoraDesktopMain";

bool runsHere(int argc, char** argv) {
  if (argc < 2) {
    return false;
  }
  const std::string_view command = argv[1];
  return command == "replay" || command == "config";
}

int runDesktop(int argc, char** argv) {
  const std::string path = tactora::platform::PrivateLibrary::findForRunningProgram(desktopLibrary);
  void* library = path.empty() ? nullptr : ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::cerr << "tactora: cannot load the desktop part of the program: "
              << (path.empty() ? std::string(desktopLibrary) +
                                     " is neither beside the program nor in its library folder"
                               : std::string(::dlerror()))
              << '\n';
    return 1;
  }
  using Entry = int (*)(int, char**);
  const auto entry = reinterpret_cast<Entry>(::dlsym(library, desktopEntry));
  if (entry == nullptr) {
    std::cerr << "tactora: " << path << " has no " << desktopEntry << '\n';
    return 1;
  }
  return entry(argc, argv);
}

}  // namespace

int main(int argc, char** argv) {
  if (!runsHere(argc, argv)) {
    return runDesktop(argc, argv);
  }
  CLI::App app{tactora::programDescription, tactora::programName};
  app.require_subcommand(1, 1);
  tactora::registerReplayCommand(app);
  tactora::registerConfigCommand(app);
  CLI11_PARSE(app, argc, argv);
  return 0;
}
