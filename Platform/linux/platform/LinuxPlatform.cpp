#include "Platform/linux/platform/LinuxPlatform.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>
#include <utility>
#include <variant>

#include "Platform/Logger.h"
#include "Platform/linux/events/EvdevProviderLink.h"
#include "Platform/linux/input/UinputClone.h"
#include "Platform/linux/posting/DesktopFamily.h"
#include "Platform/linux/posting/UinputVirtualDevices.h"
#include "Platform/linux/x11/X11PointerState.h"

namespace tactora::lx {

namespace {

constexpr platform::Logger logger{"LinuxPlatform"};
constexpr const char* udevRule = LinuxPermissions::udevRule;

std::unique_ptr<LinuxEvents> makeEvents(bool createDevices, const std::string& providerPath,
                                        const std::shared_ptr<X11Connection>& x11,
                                        LinuxPermissions& permissions) {
  LinuxEvents::Parts parts;
  // A tap without its grant is not created, and the line that says so names the file.
  parts.listenGrant = [&permissions] { return permissions.inputMonitoringDenial(); };
  parts.filterGrant = [&permissions] { return permissions.accessibilityDenial(); };
  if (createDevices) {
    auto keyboard = UinputVirtualDevices::createKeyboard();
    auto pointer = UinputVirtualDevices::createPointer();
    const auto* failure = std::get_if<SystemError>(&keyboard);
    if (failure == nullptr) {
      failure = std::get_if<SystemError>(&pointer);
    }
    if (failure == nullptr) {
      parts.keyboard = std::move(std::get<platform::UniqueFd>(keyboard));
      parts.pointer = std::move(std::get<platform::UniqueFd>(pointer));
      parts.writeToClone = EvdevProviderLink::pointerWriter(providerPath);
    } else {
      logger.error(
          "cannot create the virtual keyboard and pointer (%{public}s): %{public}s must be "
          "writable for posted actions and scroll suppression; the udev rule %{public}s grants it",
          {failure->what, UinputClone::uinputPath, udevRule});
    }
  }
  const char* currentDesktop = std::getenv("XDG_CURRENT_DESKTOP");
  parts.desktop = desktopFamilyFromCurrentDesktop(currentDesktop != nullptr ? currentDesktop : "");
  parts.pause = [](double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  };
  if (x11) {
    auto reads = X11PointerState::functions(x11);
    parts.pointerLocation = std::move(reads.pointerLocation);
    parts.modifierFlags = std::move(reads.modifierFlags);
  }
  return std::make_unique<LinuxEvents>(std::move(parts));
}

}  // namespace

LinuxPlatform::LinuxPlatform(Options options)
    : providerPath_(std::move(options.providerPath)),
      x11_(options.useX11 ? X11Connection::open(options.displayName) : nullptr),
      session_(options.session ? *options.session : DesktopServices::Session::fromEnvironment()),
      permissions_(UinputClone::uinputPath),
      events_(makeEvents(options.createVirtualDevices, providerPath_, x11_, permissions_)) {
  // Before the pipeline opens the mouse, so no report passes untapped. Grabbing the mouse only
  // makes sense when its events can be forwarded.
  std::string error;
  tapsInstalled_ =
      EvdevProviderLink::install(providerPath_, events_->taps(), events_->canPost(), &error);
  if (!tapsInstalled_) {
    logger.error("the mouse's own button and wheels are not tapped (%{public}s)", {error});
  }

  auto applications = std::make_shared<const ApplicationIndex>(
      ApplicationIndex::scan(ApplicationIndex::dataDirectoriesFromEnvironment()));
  desktop_ = DesktopServices::assemble(session_, x11_, applications);
  systemBridges_ = std::make_unique<LinuxSystemBridges>(desktop_);
  accessibility_ = std::make_unique<LinuxAccessibility>(desktop_.closeActiveWindow);
  panels_ = std::make_unique<LinuxPanels>(session_, x11_ != nullptr);

  const std::string configHome = LinuxWorkspace::configHomeFromEnvironment();
  const std::filesystem::path configuration =
      options.configurationDirectory.empty()
          ? std::filesystem::path(configHome) / "Tactora"
          : std::filesystem::path(options.configurationDirectory);
  LinuxWorkspace::Parts workspace;
  workspace.frontApplication = desktop_.frontApplication;
  workspace.applications = applications;
  workspace.bundle = LinuxWorkspace::bundleOfRunningExecutable(options.version);
  workspace.applicationSupportDirectory = configuration.parent_path().string();
  platform::RunLoop* mainQueue =
      options.mainQueue != nullptr ? options.mainQueue : &dispatch_.main();
  workspace.onMainThread = [mainQueue](std::function<void()> work) {
    mainQueue->async(std::move(work));
  };
  workspace_ = std::make_unique<LinuxWorkspace>(std::move(workspace));

  preferences_ = std::make_unique<FilePreferences>(configuration / "preferences.json");
  // The autostart folder sits beside the configuration folder (both in the XDG config home).
  loginItems_ = std::make_unique<XdgAutostartLoginItems>(
      configuration.parent_path().string(), workspace_->mainBundle().executablePath.value_or(""));

  // Resuming from suspend runs the application's wake handling (the mouse may have gone and
  // come back, a tap may have been disabled while asleep).
  sleepWatcher_ = std::make_unique<LogindSleepWatcher>([this] { workspace_->systemDidWake(); });
}

LinuxPlatform::~LinuxPlatform() {
  // The provider must stop calling into the taps before they go.
  if (tapsInstalled_) {
    EvdevProviderLink::uninstall(providerPath_);
  }
}

}  // namespace tactora::lx
