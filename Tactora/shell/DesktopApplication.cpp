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
#include <optional>

#include "Platform/Logger.h"
#include "Platform/UniqueFd.h"
#include "Tactora/AppDelegate.h"
#include "Tactora/login/LaunchAtLogin.h"
#include "Tactora/settings/SettingsWindowController.h"
#include "Tactora/settings/SurfaceFrameHandoff.h"
#include "Tactora/shell/DesktopShell.h"
#include "Tactora/shell/DesktopWindows.h"
#include "Tactora/shell/GestureOverlay.h"
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

// Names the program for the desktop (task bar, icon, the session's desktop entry) and makes it a
// tray application that quits only when asked.
void describeApplication() {
  QApplication::setApplicationName(QStringLiteral("Tactora"));
  QApplication::setOrganizationDomain(QStringLiteral("vellumworks.com"));
  QGuiApplication::setDesktopFileName(QStringLiteral("com.vellumworks.Tactora"));
  QApplication::setQuitOnLastWindowClosed(false);
  QApplication::setWindowIcon(QIcon(QStringLiteral(":/tactora/com.vellumworks.Tactora.svg")));
}

// Takes the session's one instance. Empty when this process is to run; otherwise its exit status
// after asking the running instance for its settings window (or `whenAlreadyRunning`'s answer).
std::optional<int> claimInstance(SingleInstance& instance,
                                 const DesktopApplication::Options& options) {
  switch (instance.claim()) {
    case SingleInstance::Claim::owner:
      return std::nullopt;
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
      return std::nullopt;
  }
  return std::nullopt;
}

// One run of the application once this process is the instance: built in `run`'s named steps,
// torn down in `terminate` and then in the reverse order of the members, all before the
// QApplication that owns their windows and timers.
class RunningApplication {
 public:
  explicit RunningApplication(const DesktopApplication::Options& options)
      : mainLoop_(std::make_shared<QtMainLoop>()),
        platform_(installPlatform(options, mainLoop_)),
        windows_(*platform_, [] { QCoreApplication::quit(); }),
        launchAtLogin_(*platform_) {}

  int run(SingleInstance& instance, bool showSettingsAtStart) {
    buildShell();
    buildDelegate();
    buildSettingsWindow();
    const QMetaObject::Connection settingsAsked =
        QObject::connect(&instance, &SingleInstance::showSettingsRequested, &instance,
                         [shell = shell_.get()] { shell->showSettings(); });
    mainLoop_->async([delegate = delegate_, shell = shell_, showSettingsAtStart] {
      delegate->applicationDidFinishLaunching();
      if (showSettingsAtStart) {
        shell->showSettings();
      }
    });
    mainLoop_->run();
    QObject::disconnect(settingsAsked);
    terminate();
    return 0;
  }

 private:
  // The backend with Qt's loop as its main queue, installed as the process's platform.
  static std::shared_ptr<MainQueuePlatform> installPlatform(
      const DesktopApplication::Options& options, std::shared_ptr<QtMainLoop> mainLoop) {
    auto platform =
        std::make_shared<MainQueuePlatform>(options.makeBackend(*mainLoop), std::move(mainLoop));
    platform::Platform::install(platform);
    return platform;
  }

  // The tray and the hooks into the windows built beside it; the settings window comes later, as
  // it needs the delegate's store.
  void buildShell() {
    DesktopShell::Options options;
    options.hooks = windows_.hooks();
    options.hooks.showSettings = [this] { settingsWindow_->showSettings(); };
    options.launchAtLogin = &launchAtLogin_;
    shell_ = std::make_shared<DesktopShell>(std::move(options));
  }

  // The delegate with the overlay, and the settings' live view of the surface fed each frame's
  // contacts and the last gesture.
  void buildDelegate() {
    AppDelegate::Options options;
    options.shell = shell_;
    options.frameObserver = [frames = surfaceFrames_](const BorrowedFrame& frame) {
      frames->publish(frame);
    };
    platform::Panels* panels = &platform_->panels();
    if (panels->kind() == platform::PanelKind::none) {
      logger.notice(
          "the gesture overlay and the version notice are not shown on this desktop (%{public}s)",
          {panels->description()});
    }
    options.makeOverlay = [loop = mainLoop_.get(), panels] {
      return std::make_shared<GestureOverlay>(
          GestureOverlay::qtEnvironment(*loop, monotonicSeconds, panels));
    };
    delegate_ = AppDelegate::create(*platform_, std::move(options));
    delegate_->addRoutingObserver(surfaceFrames_);
  }

  void buildSettingsWindow() {
    settings::SettingsContext context;
    context.configStore = &delegate_->configStore();
    context.updater = BuildVersion::updateCheckBuiltIn() ? &platform_->updater() : nullptr;
    context.launchAtLoginEnabled = [this] { return launchAtLogin_.launchAtLoginEnabled(); };
    context.setLaunchAtLogin = [this](bool on) { launchAtLogin_.setLaunchAtLogin(on); };
    context.acknowledgementsPath = settings::SettingsContext::installedAcknowledgements();
    context.platform = platform_.get();
    context.frames = surfaceFrames_.get();
    settingsWindow_ = std::make_unique<settings::SettingsWindowController>(context);
  }

  // The termination sequence, then the windows before the delegate and the shell they show, and
  // no timer left for a loop that is gone.
  void terminate() {
    delegate_->applicationWillTerminate();
    settingsWindow_.reset();
    delegate_.reset();
    shell_.reset();
    mainLoop_->stopTimers();
  }

  std::shared_ptr<QtMainLoop> mainLoop_;
  std::shared_ptr<MainQueuePlatform> platform_;
  // The permissions window, the version notice and the update check.
  DesktopWindows windows_;
  LaunchAtLogin launchAtLogin_;
  std::shared_ptr<settings::SurfaceFrameHandoff> surfaceFrames_ =
      std::make_shared<settings::SurfaceFrameHandoff>();
  std::unique_ptr<settings::SettingsWindowController> settingsWindow_;
  std::shared_ptr<DesktopShell> shell_;
  std::shared_ptr<AppDelegate> delegate_;
};

}  // namespace

int DesktopApplication::run(int argc, char** argv, Options options) {
  QuitSignals quitSignals;
  QApplication application(argc, argv);
  describeApplication();
  quitSignals.watch(&application);

  SingleInstance instance(QDBusConnection::sessionBus());
  if (const std::optional<int> status = claimInstance(instance, options)) {
    return *status;
  }
  // The session ending quits like the menu does; nothing is left for the session to save.
  QObject::connect(&application, &QGuiApplication::commitDataRequest, &application,
                   [](QSessionManager&) { QCoreApplication::quit(); });
  RunningApplication running(options);
  return running.run(instance, options.showSettingsAtStart);
}

}  // namespace tactora::shell
