#include "Tactora/shell/DesktopShell.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QGuiApplication>
#include <QSystemTrayIcon>
#include <QVariantMap>
#include <stdexcept>

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
  const ShellHooks& hooks = options_.hooks;
  if (!hooks.showSettings || !hooks.showPermissions || !hooks.showUpdateNoticeIfNeeded ||
      options_.launchAtLogin == nullptr) {
    throw std::invalid_argument(
        "DesktopShell needs the settings, permissions and notice hooks "
        "and the launch-at-login switch");
  }
  if (!options_.x11TrayAvailable) {
    options_.x11TrayAvailable = [] {
      return QGuiApplication::platformName() == QStringLiteral("xcb") &&
             QSystemTrayIcon::isSystemTrayAvailable();
    };
  }
}

DesktopShell::~DesktopShell() {
  // Both icons show the controller's menu; they go first.
  x11TrayIcon_.reset();
  notifierItem_.reset();
}

void DesktopShell::checkVersionNotice(AppDelegate& app) {
  options_.hooks.showUpdateNoticeIfNeeded(app);
}

void DesktopShell::setUp(AppDelegate& app) {
  std::weak_ptr<AppDelegate> weakApp = app.weak_from_this();
  StatusItemController::Options itemOptions;
  itemOptions.isEnabled = app.configStore().current()->enabled;
  itemOptions.offersUpdateCheck = static_cast<bool>(options_.hooks.checkForUpdates);
  itemOptions.statusSummary = [weakApp] { return statusSummary(weakApp.lock().get()); };
  statusItem_ = std::make_unique<StatusItemController>(itemOptions, *options_.launchAtLogin);
  connectMenu(app);
  app.batteryMonitor().setOnChange([this] { statusItem_->refresh(); });
  app.batteryMonitor().setNotify([](const std::string& title, const std::string& body) {
    notify(QString::fromStdString(title), QString::fromStdString(body));
  });
  statusItem_->refresh();

  presentTray();
}

void DesktopShell::connectMenu(AppDelegate& app) {
  std::weak_ptr<AppDelegate> weakApp = app.weak_from_this();
  StatusItemController* item = statusItem_.get();
  QObject::connect(item, &StatusItemController::enabledToggled, item, [weakApp](bool enabled) {
    if (auto app = weakApp.lock()) {
      app->setEnabled(enabled);
    }
  });
  QObject::connect(item, &StatusItemController::permissionsRequested, item, [this, weakApp] {
    if (auto app = weakApp.lock()) {
      options_.hooks.showPermissions(*app);
    }
  });
  QObject::connect(item, &StatusItemController::settingsRequested, item,
                   [this] { showSettings(); });
  if (options_.hooks.checkForUpdates) {
    QObject::connect(item, &StatusItemController::updateCheckRequested, item,
                     options_.hooks.checkForUpdates);
  }
  QObject::connect(item, &StatusItemController::quitRequested, item,
                   [] { QCoreApplication::quit(); });
  // The battery is read again as the menu opens; the line shows the new level once it is there.
  QObject::connect(&item->menu(), &QMenu::aboutToShow, item, [weakApp] {
    if (auto app = weakApp.lock()) {
      app->batteryMonitor().refresh();
    }
  });
}

void DesktopShell::presentTray() {
  notifierItem_ =
      std::make_unique<StatusNotifierItem>(QDBusConnection::sessionBus(), statusItem_->menu());
  showIcon(statusItem_->isEnabled());
  QObject::connect(statusItem_.get(), &StatusItemController::iconChanged, statusItem_.get(),
                   [this](bool enabled) { showIcon(enabled); });
  QObject::connect(notifierItem_.get(), &StatusNotifierItem::hostChanged, notifierItem_.get(),
                   [this](bool shown) { hostChanged(shown); });
  notifierItem_->start();
}

void DesktopShell::showIcon(bool enabled) {
  if (shownEnabled_ == enabled) {
    return;  // every refresh reports the state; hosts reread the icon only when it changed
  }
  shownEnabled_ = enabled;
  const QIcon icon = StatusItemController::icon(enabled);
  notifierItem_->setIcon(StatusItemController::iconName(enabled), icon);
  if (x11TrayIcon_) {
    x11TrayIcon_->setIcon(icon);
  }
}

void DesktopShell::hostChanged(bool shown) {
  const bool atLaunch = !launchDecided_;
  launchDecided_ = true;
  if (shown) {
    // One icon: a panel that hosts both kinds would otherwise show Qt's beside ours.
    if (x11TrayIcon_) {
      x11TrayIcon_->hide();
    }
    return;
  }
  // Qt looks for a tray through the same watcher first, so a panel that hangs would hang it too.
  if (!notifierItem_->watcherHangs() && options_.x11TrayAvailable()) {
    if (!x11TrayIcon_) {
      x11TrayIcon_ = std::make_unique<QSystemTrayIcon>(StatusItemController::icon(*shownEnabled_));
      x11TrayIcon_->setContextMenu(&statusItem_->menu());
    }
    x11TrayIcon_->show();
    return;
  }
  if (atLaunch) {
    tellNoTray();
  }
}

void DesktopShell::tellNoTray() {
  const char* message =
      QDBusConnection::sessionBus().isConnected() ? noTrayMessage : noBusTrayMessage;
  logger.error("%{public}s", {message});
  if (options_.notifyWithoutTray) {
    notify(QStringLiteral("Tactora is running"), QString::fromUtf8(message));
  }
  // Never running invisibly: the settings window stands in for the menu.
  showSettings();
}

void DesktopShell::showPermissionsIfNeeded(AppDelegate& app) {
  const PermissionMonitor& monitor = app.permissionMonitor();
  if (monitor.accessibility() != PermissionMonitor::Status::granted ||
      monitor.inputMonitoring() != PermissionMonitor::Status::granted) {
    options_.hooks.showPermissions(app);
  }
}

void DesktopShell::showSettings() {
  options_.hooks.showSettings();
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
    if (pipeline == nullptr || !pipeline->hasActiveDevice()) {
      return "No Magic Mouse detected";
    }
    return "Magic Mouse connected" + BatteryMonitor::statusSuffix(app->batteryMonitor().level());
  }
  return "Permissions needed \u2014 open Permissions\u2026";
}

}  // namespace tactora::shell
