#include "Tactora/shell/StatusItemController.h"

#include <QFont>
#include <QKeyEvent>
#include <QKeySequence>
#include <utility>

// The icons are compiled into this static library; registering them by hand keeps the linker
// from dropping them. Outside any namespace, as Qt's resource functions are global.
static void registerShellIcons() {
  Q_INIT_RESOURCE(ShellIcons);
}

namespace tactora::shell {

namespace {

// The small system font size of the status line, relative to the menu's own font.
constexpr double headerFontScale = 0.85;

}  // namespace

StatusItemController::StatusItemController(Options options, LaunchAtLogin& launchAtLogin)
    : isEnabled_(options.isEnabled),
      statusSummary_(std::move(options.statusSummary)),
      launchAtLogin_(launchAtLogin),
      menu_(std::make_unique<QMenu>()) {
  statusHeaderItem_ = menu_->addAction(QString());
  statusHeaderItem_->setEnabled(false);
  QFont headerFont = menu_->font();
  headerFont.setPointSizeF(headerFont.pointSizeF() * headerFontScale);
  statusHeaderItem_->setFont(headerFont);
  menu_->addSeparator();

  enabledItem_ = addItem(QStringLiteral("Gestures Enabled"), &StatusItemController::toggleEnabled);
  enabledItem_->setCheckable(true);
  launchAtLoginItem_ =
      addItem(QStringLiteral("Launch at Login"), &StatusItemController::toggleLaunchAtLogin);
  launchAtLoginItem_->setCheckable(true);
  menu_->addSeparator();

  QAction* settings =
      addItem(QStringLiteral("Settings\u2026"), &StatusItemController::openSettings);
  settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
  addItem(QStringLiteral("Permissions\u2026"), &StatusItemController::openPermissions);
  if (options.offersUpdateCheck) {
    addItem(QStringLiteral("Check for Updates\u2026"), &StatusItemController::checkForUpdates);
  }
  menu_->addSeparator();
  QAction* quitItem = addItem(QStringLiteral("Quit Tactora"), &StatusItemController::quit);
  quitItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));

  connect(menu_.get(), &QMenu::aboutToShow, this, &StatusItemController::refresh);
  menu_->installEventFilter(this);
  refresh();
}

StatusItemController::~StatusItemController() = default;

QAction* StatusItemController::addItem(const QString& title,
                                       void (StatusItemController::*action)()) {
  QAction* item = menu_->addAction(title);
  // Menus show shortcuts even where the desktop would hide them (the tray's own menu).
  item->setShortcutVisibleInContextMenu(true);
  connect(item, &QAction::triggered, this, [this, action] { (this->*action)(); });
  return item;
}

bool StatusItemController::eventFilter(QObject* watched, QEvent* event) {
  // Qt matches an action's shortcut only through a window that holds the menu; a tray menu is a
  // free-standing popup, so its items' shortcuts are matched here while it has the keyboard.
  if (watched == menu_.get() && event->type() == QEvent::KeyPress) {
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (QAction* action : menu_->actions()) {
      if (!action->shortcut().isEmpty() && action->shortcut() == pressed && action->isEnabled()) {
        menu_->hide();
        action->trigger();
        return true;
      }
    }
  }
  return QObject::eventFilter(watched, event);
}

void StatusItemController::refresh() {
  enabledItem_->setChecked(isEnabled_);
  launchAtLoginItem_->setChecked(launchAtLogin_.launchAtLoginEnabled());
  const std::string header = statusSummary_ ? statusSummary_() : std::string(defaultHeader);
  statusHeaderItem_->setText(QString::fromStdString(header));
  menu_->setAccessibleName(accessibleDescription(isEnabled_));
  Q_EMIT iconChanged(isEnabled_);
}

void StatusItemController::toggleEnabled() {
  isEnabled_ = !isEnabled_;
  refresh();
  Q_EMIT enabledToggled(isEnabled_);
}

void StatusItemController::toggleLaunchAtLogin() {
  launchAtLogin_.setLaunchAtLogin(!launchAtLogin_.launchAtLoginEnabled());
  refresh();
}

void StatusItemController::openSettings() {
  Q_EMIT settingsRequested();
}

void StatusItemController::openPermissions() {
  Q_EMIT permissionsRequested();
}

void StatusItemController::checkForUpdates() {
  Q_EMIT updateCheckRequested();
}

void StatusItemController::quit() {
  Q_EMIT quitRequested();
}

QIcon StatusItemController::icon(bool enabled) {
  static const bool registered = (registerShellIcons(), true);
  (void)registered;
  return QIcon(enabled ? QStringLiteral(":/tactora/gestures-enabled.svg")
                       : QStringLiteral(":/tactora/gestures-disabled.svg"));
}

QString StatusItemController::iconName(bool enabled) {
  return enabled ? QStringLiteral("tactora-gestures-enabled-symbolic")
                 : QStringLiteral("tactora-gestures-disabled-symbolic");
}

QString StatusItemController::accessibleDescription(bool enabled) {
  return enabled ? QStringLiteral("Tactora: gestures enabled")
                 : QStringLiteral("Tactora: gestures disabled");
}

}  // namespace tactora::shell
