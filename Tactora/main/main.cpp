// The desktop part of the `tactora` program: the desktop application and every command that
// reaches the desktop, in a library the program loads when one of them runs (replay and config
// run in the program itself; see Tactora/launch/main.cpp). Its command line is the whole one.

#include <pthread.h>
#include <signal.h>

#include <chrono>
#include <iostream>
#include <memory>
#include <string>
#include <thread>
#include <variant>

#include <CLI/CLI.hpp>

#include "Platform/Log.h"
#include "Platform/linux/log/JournalLogSink.h"
#include "Platform/linux/platform/LinuxPlatform.h"
#include "Platform/sim/SimPlatform.h"
#include "Platform/sim/provider/SimMultitouch.h"
#include "Tactora/AppDelegate.h"
#include "Tactora/input/MTBridge.h"
#include "Tactora/main/ConfigCommand.h"
#include "Tactora/main/DevicesCommand.h"
#include "Tactora/main/DoctorCommand.h"
#include "Tactora/main/MonitorCommand.h"
#include "Tactora/main/PlayCommand.h"
#include "Tactora/main/ProgramText.h"
#include "Tactora/main/ReplayCommand.h"
#ifdef TACTORA_HAVE_SHELL
#include "Tactora/shell/DesktopApplication.h"
#endif

namespace tactora {
namespace {

constexpr const char* versionNumber = "0.1.0";
constexpr const char* versionText = "tactora 0.1.0";

// The application without its tray and windows (builds without Qt): launches on the Linux
// platform, runs the main loop until SIGINT or SIGTERM, then terminates as the application does
// (pipeline stopped, any drag ended, held keys released) and exits 0.
[[maybe_unused]] int runHeadlessApplication(const std::string& providerPath) {
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

  std::cout << "tactora: running without a tray (this build has no Qt); "
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

double monotonicSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// The backend the application runs on: the desktop, or the simulated one (no mouse read,
// nothing posted) for trying the interface. With a recording playing (`realTime`), the simulated
// clock follows the monotonic one, so that its gestures are recognised with their own timing.
std::shared_ptr<platform::Platform> makeBackend(const std::string& platformName,
                                                const std::string& providerPath,
                                                platform::RunLoop* mainQueue, bool realTime) {
  if (platformName == "sim") {
    MTBridgeSetProviderPath(
        (providerPath.empty() ? sim::SimMultitouch::defaultPath() : providerPath).c_str());
    auto simulated = std::make_shared<sim::SimPlatform>(realTime ? monotonicSeconds() : 0);
    if (realTime && mainQueue != nullptr) {
      // The loop keeps the timer; it ends with the loop.
      mainQueue->scheduleRepeating(0.01, [weak = std::weak_ptr(simulated)] {
        if (const auto locked = weak.lock()) {
          locked->timeline().advanceTo(monotonicSeconds());
        }
      });
    }
    return simulated;
  }
  if (!providerPath.empty()) {
    MTBridgeSetProviderPath(providerPath.c_str());
  }
  lx::LinuxPlatform::Options options;
  options.providerPath = MTBridgeProviderPath();
  options.version = versionNumber;
  options.mainQueue = mainQueue;
  return std::make_shared<lx::LinuxPlatform>(std::move(options));
}

// How the application is started from the command line.
struct Launch {
  std::string platformName;
  std::string providerPath;
  bool showSettings = false;  // `tactora settings`
  bool play = false;          // `tactora --play`: never beside a running instance
};

// `tactora`, `tactora --platform sim`, `tactora settings` and `tactora --play`: the application
// with its tray and windows, or, when one already runs in this session, its settings window
// brought forward (or, for --play, a refusal).
int runApplication(const char* programName, const Launch& launch) {
  const std::string& platformName = launch.platformName;
  const std::string& providerPath = launch.providerPath;
#ifdef TACTORA_HAVE_SHELL
  shell::DesktopApplication::Options options;
  options.makeBackend = [platformName, providerPath,
                         realTime = launch.play](platform::RunLoop& mainQueue) {
    return makeBackend(platformName, providerPath, &mainQueue, realTime);
  };
  options.showSettingsAtStart = launch.showSettings;
  if (launch.play) {
    options.whenAlreadyRunning = [] {
      const PlayCommand::Refusal refusal = PlayCommand::alreadyRunning();
      std::cerr << "tactora: " << refusal.message << '\n';
      return refusal.exitStatus;
    };
  }
  // Qt reads its own options (such as -platform) from the arguments; ours stay ours.
  char* qtArguments[] = {const_cast<char*>(programName), nullptr};
  return shell::DesktopApplication::run(1, qtArguments, std::move(options));
#else
  (void)programName;
  if (platformName == "sim") {
    std::cerr << "tactora: --platform sim needs the Qt shell, which this build does not have\n";
    return 2;
  }
  return runHeadlessApplication(providerPath);
#endif
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

// Called by the program with its own arguments; returns its exit status.
extern "C" __attribute__((visibility("default"))) int tactoraDesktopMain(int argc, char** argv) {
  // Started by systemd or a desktop that logs to the journal: lines go there with their category
  // as a field; otherwise they stay on stderr.
  if (auto journal = tactora::lx::JournalLogSink::createIfStderrIsJournal()) {
    tactora::platform::Log::setSink(std::move(journal));
  }
  CLI::App app{tactora::programDescription, tactora::programName};
  app.set_version_flag("--version", tactora::versionText);
  app.require_subcommand(0, 1);
  std::string providerPath;
  CLI::Option* provider = app.add_option(
      "--provider", providerPath,
      "The multitouch provider library the application loads (default: the installed evdev "
      "provider)");
  std::string recordingPath;
  CLI::Option* play =
      app.add_option("--play", recordingPath,
                     "Run the application with the mouse replaced by this evemu recording, played "
                     "in real time from the start; every action happens on this desktop. Refuses "
                     "to run beside a running Tactora")
          ->type_name("RECORDING")
          ->excludes(provider);
  std::string platformName = "linux";
  app.add_option("--platform", platformName,
                 "Where the application runs: linux (the desktop) or sim (a simulated desktop: no "
                 "mouse read, nothing posted)")
      ->check(CLI::IsMember({"linux", "sim"}));
  tactora::registerCommands(app);
  CLI::App* settings = app.add_subcommand(
      "settings", "Opens the settings window of the running application (starting it when needed)");

  for (CLI::App* command : app.get_subcommands({})) {
    command->excludes(play);
  }

  CLI11_PARSE(app, argc, argv);
  tactora::Launch launch{platformName, providerPath, settings->parsed(), false};
  if (play->count() > 0) {
    auto prepared = tactora::PlayCommand::prepare(recordingPath);
    if (const auto* refusal = std::get_if<tactora::PlayCommand::Refusal>(&prepared)) {
      std::cerr << "tactora: " << refusal->message << '\n';
      return refusal->exitStatus;
    }
    launch.providerPath = std::get<std::string>(prepared);
    launch.play = true;
  }
  if (app.get_subcommands().empty() || settings->parsed()) {
    return tactora::runApplication(argv[0], launch);
  }
  return 0;
}
