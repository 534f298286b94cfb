#include "Tactora/main/ReplayCommand.h"

#include <iostream>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "Tactora/replay/ReplayDriver.h"

namespace tactora {

void registerReplayCommand(CLI::App& app) {
  auto* replay = app.add_subcommand(
      "replay",
      "Run a recorded input session (evemu-record output) through the whole application on a "
      "simulated desktop and print the gestures it recognised");
  struct Arguments {
    std::string recording;
    std::string configFile;
    ReplayDriver::Options options;
  };
  auto arguments = std::make_shared<Arguments>();
  replay->add_option("--config", arguments->configFile,
                     "Use this configuration file (read only; the default configuration "
                     "otherwise)");
  replay->add_flag("--actions", arguments->options.actions,
                   "Also print the routing of each gesture, everything asked of the desktop "
                   "(posted events, Dock notifications, hot keys, Accessibility actions, opened "
                   "URLs, launched processes) and what happened to each native scroll event");
  replay->add_flag("--time", arguments->options.time,
                   "Put the time in seconds since the recording's first event in front of each "
                   "line");
  replay->add_option("RECORDING", arguments->recording, "The recorded session (evemu format)")
      ->required();
  replay->callback([arguments] {
    if (!arguments->configFile.empty()) {
      arguments->options.configFile = arguments->configFile;
    }
    const int status =
        ReplayDriver::run(arguments->recording, arguments->options, std::cout, std::cerr);
    if (status != ReplayDriver::succeeded) {
      throw CLI::RuntimeError(status);
    }
  });
}

}  // namespace tactora
