#include "Tactora/settings/SettingsWindow.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QFile>
#include <QIcon>
#include <QLabel>
#include <QPainter>
#include <QSvgRenderer>
#include <QTabWidget>
#include <QVBoxLayout>

#include "Tactora/settings/GeneralTab.h"
#include "Tactora/settings/TuningTab.h"
#ifdef TACTORA_HAVE_GESTURES_TAB
#include "Tactora/settings/gestures/GesturesTab.h"
#endif

// The icons live in this static library; nothing else references them, so they are registered
// explicitly.
static void initialiseSettingsResources() {
  Q_INIT_RESOURCE(SettingsIcons);
}

namespace tactora::settings {

namespace {

// The desktop's icon when its theme has one, else our own symbol drawn in the window's text
// colour, so it reads in light and dark palettes alike.
QIcon tabIcon(const QString& themeName, const QString& fallback, const QColor& colour) {
  if (QIcon::hasThemeIcon(themeName)) {
    return QIcon::fromTheme(themeName);
  }
  QFile file(QStringLiteral(":/tactora-settings/") + fallback);
  if (!file.open(QIODevice::ReadOnly)) {
    return {};
  }
  QByteArray svg = file.readAll();
  svg.replace("currentColor", colour.name().toLatin1());
  QSvgRenderer renderer(svg);
  QIcon icon;
  for (const int size : {16, 24, 32, 48}) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    renderer.render(&painter);
    painter.end();
    icon.addPixmap(pixmap);
  }
  return icon;
}

QWidget* makeGesturesTab(const SettingsContext& context, QWidget* parent) {
#ifdef TACTORA_HAVE_GESTURES_TAB
  if (context.platform != nullptr) {
    return new GesturesTab(*context.configStore, *context.platform, {}, parent);
  }
#endif
  auto* placeholder = new QWidget(parent);
  auto* layout = new QVBoxLayout(placeholder);
  auto* text = new QLabel(QStringLiteral("Gesture bindings are edited in the configuration file "
                                         "in this version."),
                          placeholder);
  text->setWordWrap(true);
  text->setAlignment(Qt::AlignCenter);
  layout->addWidget(text);
  return placeholder;
}

}  // namespace

SettingsWindow::SettingsWindow(const SettingsContext& context, QWidget* parent) : QWidget(parent) {
  initialiseSettingsResources();
  setWindowTitle(QString::fromUtf8(title));
  // Titled and closable only: a minimised settings window is easily lost (it has no place of its
  // own in a tray application), and a maximised one would only add empty space around the form.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  setFixedSize(contentWidth, contentHeight);
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 6, 0, 0);
  tabs_ = new QTabWidget(this);
  tabs_->setDocumentMode(true);
  tabs_->setIconSize(QSize(18, 18));
  layout->addWidget(tabs_);

  const QColor symbolColour = palette().color(QPalette::WindowText);
  general_ = new GeneralTab(context, tabs_);
  connectGeneralTab(context);
  gestures_ = makeGesturesTab(context, tabs_);
  tuning_ = new TuningTab(*context.configStore, context.frames, tabs_);
  tabs_->addTab(
      general_,
      tabIcon(QStringLiteral("preferences-system"), QStringLiteral("general.svg"), symbolColour),
      QStringLiteral("General"));
  tabs_->addTab(
      gestures_,
      tabIcon(QStringLiteral("input-touchpad"), QStringLiteral("gestures.svg"), symbolColour),
      QStringLiteral("Gestures"));
  tabs_->addTab(tuning_,
                tabIcon(QStringLiteral("configure"), QStringLiteral("tuning.svg"), symbolColour),
                QStringLiteral("Tuning"));
  tabs_->setCurrentIndex(0);
}

void SettingsWindow::connectGeneralTab(const SettingsContext& context) {
  if (context.launchAtLoginEnabled) {
    general_->showLaunchAtLogin(context.launchAtLoginEnabled());
  }
  connect(general_, &GeneralTab::launchAtLoginToggled, this,
          [setLaunchAtLogin = context.setLaunchAtLogin](bool on) {
            if (setLaunchAtLogin) {
              setLaunchAtLogin(on);
            }
          });
  connect(general_, &GeneralTab::documentRequested, this,
          [openURL = context.openURL](const QUrl& document) {
            if (openURL) {
              openURL(document);
            } else {
              QDesktopServices::openUrl(document);
            }
          });
}

void SettingsWindow::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (event->isAccepted() && onClose) {
    onClose();
  }
}

}  // namespace tactora::settings
