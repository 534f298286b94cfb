#include "Tactora/shell/DesktopApplication.h"

#include <pthread.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <QApplication>
#include <QDBusConnection>
#include <QSessionManager>
#include <QSocketNotifier>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "Platform/Logger.h"
#include "Platform/UniqueFd.h"
#include "Tactora/AppDelegate.h"
#include "Tactora/settings/SettingsWindowController.h"
#include "Tactora/settings/SurfaceFrameHandoff.h"
#include "Tactora/shell/DesktopShell.h"
#include "Tactora/shell/DesktopWindows.h"
#include "Tactora/shell/GestureOverlay.h"
#include "Tactora/shell/LoginItemSwitch.h"
#include "Tactora/shell/MainQueuePlatform.h"
#include "Tactora/shell/QtMainLoop.h"
#include "Tactora/shell/SingleInstance.h"
#include "Tactora/updates/BuildVersion.h"

namespace tactora::shell {

namespace {

constexpr platform::Logger logger{"AppDelegate"};

double monotonicSeconds() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// SIGINT and SIGTERM arrive as readable data on a descriptor the event loop watches, so that
// quitting runs on the GUI thread like the menu's "Quit Tactora". The signals are blocked before
// any thread starts, so every thread inherits the mask and none is interrupted by them.
class QuitSignals {
 public:
  QuitSignals() {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    ::pthread_sigmask(SIG_BLOCK, &signals_, nullptr);
  }
  QuitSignals(const QuitSignals&) = delete;
  QuitSignals& operator=(const QuitSignals&) = delete;

  // The notifier belongs to `parent` (the application), so it goes before the event loop does.
  void watch(QObject* parent) {
    fd_.reset(::signalfd(-1, &signals_, SFD_CLOEXEC | SFD_NONBLOCK));
    if (!fd_) {
      logger.error("cannot watch SIGINT and SIGTERM: %{public}s", {std::string(strerror(errno))});
      return;
    }
    auto* notifier = new QSocketNotifier(fd_.get(), QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, notifier, [this] {
      signalfd_siginfo info{};
      while (::read(fd_.get(), &info, sizeof info) == static_cast<ssize_t>(sizeof info)) {
      }
      QCoreApplication::quit();
    });
  }

 private:
  sigset_t signals_;
  tactora::platform::UniqueFd fd_;
};

}  // namespace

int DesktopApplication::run(int argc, char** argv, Options options) {
  QuitSignals quitSignals;
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tactora"));
  QApplication::setOrganizationDomain(QStringLiteral("vellumworks.com"));
  QGuiApplication::setDesktopFileName(QStringLiteral("com.vellumworks.Tactora"));
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/tactora/com.vellumworks.Tactora.svg")));
  quitSignals.watch(&application);

  SingleInstance instance(QDBusConnection::sessionBus());
  switch (instance.claim()) {
    case SingleInstance::Claim::owner:
      break;
    case SingleInstance::Claim::alreadyRunning: {
      if (options.whenAlreadyRunning) {
        return options.whenAlreadyRunning();
      }
      QString error;
      if (!SingleInstance::askRunningToShowSettings(QDBusConnection::sessionBus(), &error)) {
        logger.error("Tactora is already running but did not answer: %{public}s",
                     {error.toStdString()});
        return 1;
      }
      return 0;
    }
    case SingleInstance::Claim::noBus:
      logger.error(
          "no session bus: running without the one-instance check (a second start will run a "
          "second copy)");
      break;
  }

  auto mainLoop = std::make_shared<QtMainLoop>();
  auto platform = std::make_shared<MainQueuePlatform>(options.makeBackend(*mainLoop), mainLoop);
  platform::Platform::install(platform);

  // The permissions window, the version notice and the update check fill the hooks the caller
  // left empty.
  DesktopWindows windows(*platform, [] { QCoreApplication::quit(); });
  ShellHooks builtIn = windows.hooks();
  ShellHooks& hooks = options.hooks;
  if (!hooks.showPermissions) {
    hooks.showPermissions = std::move(builtIn.showPermissions);
  }
  if (!hooks.showUpdateNoticeIfNeeded) {
    hooks.showUpdateNoticeIfNeeded = std::move(builtIn.showUpdateNoticeIfNeeded);
  }
  if (!hooks.checkForUpdates) {
    hooks.checkForUpdates = std::move(builtIn.checkForUpdates);
  }

  // The settings window needs the delegate's store, so it is built once the delegate exists.
  std::unique_ptr<settings::SettingsWindowController> settingsWindow;
  if (!hooks.showSettings) {
    hooks.showSettings = [&settingsWindow] { settingsWindow->showSettings(); };
  }

  DesktopShell::Options shellOptions;
  shellOptions.hooks = std::move(options.hooks);
  shellOptions.launchAtLogin = std::make_shared<LoginItemSwitch>(*platform);
  std::shared_ptr<LaunchAtLoginSwitch> launchAtLogin = shellOptions.launchAtLogin;
  auto shell = std::make_shared<DesktopShell>(std::move(shellOptions));

  // The settings' live view of the surface gets each frame's contacts and the last gesture.
  auto surfaceFrames = std::make_shared<settings::SurfaceFrameHandoff>();
  AppDelegate::Options appOptions;
  appOptions.shell = shell;
  appOptions.frameObserver = [surfaceFrames](const BorrowedFrame& frame) {
    surfaceFrames->publish(frame);
  };
  platform::RunLoop* loop = mainLoop.get();
  platform::Panels* panels = &platform->panels();
  if (panels->kind() == platform::PanelKind::none) {
    logger.notice(
        "the gesture overlay and the version notice are not shown on this desktop (%{public}s)",
        {panels->description()});
  }
  appOptions.makeOverlay = [loop, panels] {
    return std::make_shared<GestureOverlay>(
        GestureOverlay::qtEnvironment(*loop, monotonicSeconds, panels));
  };
  auto delegate = AppDelegate::create(*platform, std::move(appOptions));
  delegate->addRoutingObserver(surfaceFrames);

  settings::SettingsContext settingsContext;
  settingsContext.configStore = &delegate->configStore();
  settingsContext.updater = BuildVersion::updateCheckBuiltIn() ? &platform->updater() : nullptr;
  settingsContext.launchAtLoginEnabled = [launchAtLogin] { return launchAtLogin->isOn(); };
  settingsContext.setLaunchAtLogin = [launchAtLogin](bool on) { launchAtLogin->set(on); };
  settingsContext.acknowledgementsPath = settings::SettingsContext::installedAcknowledgements();
  settingsContext.platform = platform.get();
  settingsContext.frames = surfaceFrames.get();
  settingsWindow = std::make_unique<settings::SettingsWindowController>(settingsContext);

  instance.onShowSettings = [shell] { shell->showSettings(); };
  // The session ending quits like the menu does; nothing is left for the session to save.
  QObject::connect(&application, &QGuiApplication::commitDataRequest, &application,
                   [](QSessionManager&) { QCoreApplication::quit(); });

  mainLoop->async([delegate, shell, showSettings = options.showSettingsAtStart] {
    delegate->applicationDidFinishLaunching();
    if (showSettings) {
      shell->showSettings();
    }
  });
  mainLoop->run();

  delegate->applicationWillTerminate();
  instance.onShowSettings = nullptr;
  settingsWindow.reset();
  delegate.reset();
  shell.reset();
  // Windows and timers belong to this QApplication; none outlives it.
  mainLoop->stopTimers();
  return 0;
}

}  // namespace tactora::shell
