// The `tactora` executable: the desktop application, and the command-line tools next to it.

#include <iostream>
#include <string>

#include <CLI/CLI.hpp>

#include "Tactora/main/ConfigCommand.h"
#include "Tactora/main/DevicesCommand.h"
#include "Tactora/main/MonitorCommand.h"
#include "Tactora/main/ReplayCommand.h"

namespace tactora {
namespace {

constexpr const char* versionText = "tactora 0.1.0";

// PLACEHOLDER until the application shell exists: `tactora` with no subcommand will start the
// desktop application here.
int runApplication() {
  std::cout << "tactora: the desktop application is not built yet; see `tactora --help` for the "
               "commands that are.\n";
  return 0;
}

// Every subcommand registers itself here, in the order `--help` lists them.
void registerCommands(CLI::App& app) {
  registerReplayCommand(app);
  registerConfigCommand(app);
  registerDevicesCommand(app);
  registerMonitorCommand(app);
}

}  // namespace
}  // namespace tactora

int main(int argc, char** argv) {
  CLI::App app{
      "Tactora turns touches on the Magic Mouse into gestures and runs an action for each.",
      "tactora"};
  app.set_version_flag("--version", tactora::versionText);
  app.require_subcommand(0, 1);
  tactora::registerCommands(app);

  CLI11_PARSE(app, argc, argv);
  if (app.get_subcommands().empty()) {
    return tactora::runApplication();
  }
  return 0;
}
