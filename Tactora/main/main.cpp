// The `tactora` executable: the desktop application, and the command-line tools next to it.

#include <pthread.h>
#include <signal.h>

#include <iostream>
#include <memory>
#include <string>
#include <thread>

#include <CLI/CLI.hpp>

#include "Platform/linux/platform/LinuxPlatform.h"
#include "Tactora/AppDelegate.h"
#include "Tactora/input/MTBridge.h"
#include "Tactora/main/ConfigCommand.h"
#include "Tactora/main/DevicesCommand.h"
#include "Tactora/main/DoctorCommand.h"
#include "Tactora/main/MonitorCommand.h"
#include "Tactora/main/ReplayCommand.h"

namespace tactora {
namespace {

constexpr const char* versionNumber = "0.1.0";
constexpr const char* versionText = "tactora 0.1.0";

// The application without its tray and windows: launches on the Linux platform, runs the main
// loop until SIGINT or SIGTERM, then terminates as the application does (pipeline stopped, any
// drag ended, held keys released) and exits 0.
int runApplication(const std::string& providerPath) {
  // Blocked before any thread starts, so every thread inherits the mask and only the waiter
  // below receives them.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  ::pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  if (!providerPath.empty()) {
    MTBridgeSetProviderPath(providerPath.c_str());
  }
  lx::LinuxPlatform::Options options;
  options.providerPath = MTBridgeProviderPath();
  options.version = versionNumber;
  auto platform = std::make_shared<lx::LinuxPlatform>(std::move(options));
  platform::Platform::install(platform);
  auto delegate = AppDelegate::create(*platform, {});

  std::cout << "tactora: running without a tray (the tray and windows are not built yet); "
               "Ctrl-C or SIGTERM quits\n"
            << std::flush;
  auto& mainLoop = platform->dispatch().main();
  std::thread waiter([&mainLoop, &signals, delegate] {
    int received = 0;
    ::sigwait(&signals, &received);
    mainLoop.async([&mainLoop, delegate] {
      delegate->applicationWillTerminate();
      mainLoop.stop();
    });
  });
  mainLoop.async([delegate] { delegate->applicationDidFinishLaunching(); });
  mainLoop.run();
  waiter.join();
  std::cout << "tactora: stopped\n";
  return 0;
}

// Every subcommand registers itself here, in the order `--help` lists them.
void registerCommands(CLI::App& app) {
  registerReplayCommand(app);
  registerConfigCommand(app);
  registerDevicesCommand(app);
  registerMonitorCommand(app);
  registerDoctorCommand(app);
}

}  // namespace
}  // namespace tactora

int main(int argc, char** argv) {
  CLI::App app{
      "Tactora turns touches on the Magic Mouse into gestures and runs an action for each.",
      "tactora"};
  app.set_version_flag("--version", tactora::versionText);
  app.require_subcommand(0, 1);
  std::string providerPath;
  app.add_option("--provider", providerPath,
                 "The multitouch provider library the application loads (default: the installed "
                 "evdev provider)");
  tactora::registerCommands(app);

  CLI11_PARSE(app, argc, argv);
  if (app.get_subcommands().empty()) {
    return tactora::runApplication(providerPath);
  }
  return 0;
}
