#include "Tactora/settings/SettingsWindowController.h"

#include <QScreen>
#include <QTabWidget>

namespace tactora::settings {

SettingsWindowController::SettingsWindowController(SettingsContext context)
    : context_(std::move(context)) {}

SettingsWindowController::~SettingsWindowController() {
  delete window_.data();
}

void SettingsWindowController::showSettings(std::optional<int> tab) {
  if (window_.isNull()) {
    auto* window = new SettingsWindow(context_);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->onClose = [this] {
      if (onClose) {
        onClose();
      }
    };
    window_ = window;
  }
  SettingsWindow* window = window_.data();
  if (tab && *tab >= 0 && *tab < window->tabs()->count()) {
    window->tabs()->setCurrentIndex(*tab);
  }
  if (window->isMinimized()) {
    // Minimised from the task bar or by the desktop: show() and raise() leave such a window where
    // it is, so "Settings…" would seem to do nothing.
    window->setWindowState((window->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  }
  if (!window->isVisible()) {
    window->show();
    if (const QScreen* screen = window->screen()) {
      QRect frame = window->frameGeometry();
      frame.moveCenter(screen->availableGeometry().center());
      window->move(frame.topLeft());
    }
  }
  window->raise();
  window->activateWindow();
}

}  // namespace tactora::settings
