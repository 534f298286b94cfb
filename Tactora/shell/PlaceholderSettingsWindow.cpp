#include "Tactora/shell/PlaceholderSettingsWindow.h"

#include <QLabel>
#include <QVBoxLayout>

namespace tactora::shell {

PlaceholderSettingsWindow::PlaceholderSettingsWindow() {
  setWindowTitle(QString::fromUtf8(title));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(20, 20, 20, 20);
  auto* text = new QLabel(
      QStringLiteral("The settings are not available in this version yet. Gestures, the tray "
                     "menu and the configuration file work as usual."),
      this);
  text->setWordWrap(true);
  layout->addWidget(text);
  layout->addStretch();
  resize(480, 140);
}

void PlaceholderSettingsWindow::bringForward() {
  show();
  raise();
  activateWindow();
}

}  // namespace tactora::shell
