#include "Tactora/shell/DesktopShell.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusServiceWatcher>
#include <QSystemTrayIcon>
#include <QVariantMap>

#include "Platform/Logger.h"
#include "Tactora/AppDelegate.h"
#include "Tactora/input/InputPipeline.h"

namespace tactora::shell {

namespace {

constexpr platform::Logger logger{"AppDelegate"};
constexpr int notificationTimeoutMs = 10000;

// Best effort: the desktop's notification service, if there is one, shows it; no answer awaited.
void notify(const QString& summary, const QString& body) {
  QDBusMessage call = QDBusMessage::createMethodCall(
      QStringLiteral("org.freedesktop.Notifications"),
      QStringLiteral("/org/freedesktop/Notifications"),
      QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  call << QStringLiteral("Tactora") << 0u << QStringLiteral("com.vellumworks.Tactora") << summary
       << body << QStringList() << QVariantMap() << notificationTimeoutMs;
  QDBusConnection::sessionBus().asyncCall(call);
}

}  // namespace

DesktopShell::DesktopShell(Options options) : options_(std::move(options)) {
  if (!options_.trayAvailable) {
    options_.trayAvailable = [] { return QSystemTrayIcon::isSystemTrayAvailable(); };
  }
}

DesktopShell::~DesktopShell() = default;

void DesktopShell::checkVersionNotice(AppDelegate& app) {
  if (options_.hooks.showUpdateNoticeIfNeeded) {
    options_.hooks.showUpdateNoticeIfNeeded(app);
  }
}

void DesktopShell::setUp(AppDelegate& app) {
  StatusItemController::Options itemOptions;
  itemOptions.isEnabled = app.configStore().current()->enabled;
  itemOptions.offersUpdateCheck = static_cast<bool>(options_.hooks.checkForUpdates);
  statusItem_ = std::make_unique<StatusItemController>(itemOptions, *options_.launchAtLogin);

  std::weak_ptr<AppDelegate> weakApp = app.weak_from_this();
  statusItem_->onToggleEnabled = [weakApp](bool enabled) {
    if (auto app = weakApp.lock()) {
      app->setEnabled(enabled);
    }
  };
  if (options_.hooks.checkForUpdates) {
    statusItem_->onCheckForUpdates = options_.hooks.checkForUpdates;
  }
  statusItem_->onOpenPermissions = [this, weakApp] {
    if (auto app = weakApp.lock(); app && options_.hooks.showPermissions) {
      options_.hooks.showPermissions(*app);
    }
  };
  statusItem_->statusSummary = [weakApp] { return statusSummary(weakApp.lock().get()); };
  statusItem_->onOpenSettings = [this] { showSettings(); };
  statusItem_->refresh();

  presentTray();
}

void DesktopShell::presentTray() {
  if (options_.trayAvailable()) {
    statusItem_->trayIcon().show();
    return;
  }
  if (!toldNoTray_) {
    toldNoTray_ = true;
    logger.error("%{public}s", {noTrayMessage});
    if (options_.notifyWithoutTray) {
      notify(QStringLiteral("Tactora is running"), QString::fromUtf8(noTrayMessage));
    }
    // Never running invisibly: the settings window stands in for the menu.
    showSettings();
  }
  // Panels often start after the autostart entries: show the icon once a host registers.
  if (!hostWatcher_) {
    hostWatcher_ = std::make_unique<QDBusServiceWatcher>(
        QStringLiteral("org.kde.StatusNotifierWatcher"), QDBusConnection::sessionBus(),
        QDBusServiceWatcher::WatchForRegistration);
    QObject::connect(hostWatcher_.get(), &QDBusServiceWatcher::serviceRegistered,
                     hostWatcher_.get(), [this] {
                       if (options_.trayAvailable()) {
                         statusItem_->trayIcon().hide();
                         statusItem_->trayIcon().show();
                       }
                     });
  }
}

void DesktopShell::showPermissionsIfNeeded(AppDelegate& app) {
  const PermissionMonitor& monitor = app.permissionMonitor();
  if (monitor.accessibility() != PermissionMonitor::Status::granted ||
      monitor.inputMonitoring() != PermissionMonitor::Status::granted) {
    if (options_.hooks.showPermissions) {
      options_.hooks.showPermissions(app);
    }
  }
}

void DesktopShell::showSettings() {
  if (options_.hooks.showSettings) {
    options_.hooks.showSettings();
    return;
  }
  if (!placeholder_) {
    placeholder_ = std::make_unique<PlaceholderSettingsWindow>();
  }
  placeholder_->bringForward();
}

std::string DesktopShell::statusSummary(AppDelegate* app) {
  if (app == nullptr) {
    return StatusItemController::defaultHeader;
  }
  PermissionMonitor& monitor = app->permissionMonitor();
  monitor.refresh();
  if (monitor.accessibility() == PermissionMonitor::Status::granted &&
      monitor.inputMonitoring() == PermissionMonitor::Status::granted) {
    const InputPipeline* pipeline = app->inputPipeline();
    return pipeline != nullptr && pipeline->hasActiveDevice() ? "Magic Mouse connected"
                                                              : "No Magic Mouse detected";
  }
  return "Permissions needed \u2014 open Permissions\u2026";
}

}  // namespace tactora::shell
