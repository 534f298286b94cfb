#include "Tactora/main/ConfigCommand.h"

#include <iostream>
#include <memory>
#include <string>

#include <CLI/CLI.hpp>

#include "Tactora/config/ConfigCheck.h"
#include "Tactora/config/ConfigStore.h"

namespace tactora {

namespace {

void finish(int status) {
  std::cout.flush();
  if (status != 0) {
    throw CLI::RuntimeError(status);
  }
}

}  // namespace

void registerConfigCommand(CLI::App& app) {
  auto* config = app.add_subcommand(
      "config", "Print the default configuration file or check one (the application reads " +
                    (ConfigStore::defaultDirectory() / "config.json").string() + ")");
  config->require_subcommand(1);

  auto* printDefault = config->add_subcommand("default", "Print the default configuration file");
  printDefault->callback([] { finish(ConfigCheck::printDefault(std::cout)); });

  auto* check = config->add_subcommand(
      "check",
      "Read a configuration file as the application would, print it as it would be stored, and "
      "report on standard error every profile and binding that would be dropped");
  auto file = std::make_shared<std::string>();
  check->add_option("FILE", *file, "The configuration file to check")->required();
  check->callback([file] { finish(ConfigCheck::check(*file, std::cout, std::cerr)); });
}

}  // namespace tactora
