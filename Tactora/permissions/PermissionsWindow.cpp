#include "Tactora/permissions/PermissionsWindow.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>
#include <optional>

#include "Platform/Logger.h"
#include "Tactora/permissions/TrustedHelper.h"

namespace tactora {

namespace {

const platform::Logger logger("PermissionsWindow");

constexpr int insetPoints = 20;
constexpr int itemSpacingPoints = 12;
constexpr int rowSpacingPoints = 8;
constexpr int nameWidthPoints = 110;
constexpr int windowWidthPoints = 460;
constexpr int windowHeightPoints = 260;
// The window's texts are drawn at the desktop's font size; the note and the secondary lines at
// 11/13 of it, the proportion of the small system font to the regular one.
constexpr double smallFontScale = 11.0 / 13.0;
// A refused or dismissed authentication prompt (pkexec's exit statuses).
constexpr int pkexecDismissed = 126;
constexpr int pkexecNotAuthorized = 127;

const char* const titleText = "Tactora — Permissions";
const char* const headline = "Tactora needs two permissions to work:";
const char* const accessibilityName = "Accessibility";
const char* const inputMonitoringName = "Input Monitoring";
const char* const accessibilityDetail = "/dev/uinput — to post keys and clicks";
const char* const inputMonitoringDetail = "the Magic Mouse's event device — to read touches";
const char* const requestTitle = "Request";
const char* const helpTitle = "Open Help";
const char* const restartTitle = "Restart Tactora";
const char* const manualIntro =
    "This copy of Tactora has no installed permission helper, so it does not ask for your "
    "password. To give both permissions, run these commands in a terminal, then restart Tactora:";
const char* const note =
    "After granting a permission, existing event taps stay dead even though the OS reports the "
    "grant — restart to pick it up.";

QFont scaled(QFont font, double scale) {
  if (font.pointSizeF() > 0) {
    font.setPointSizeF(font.pointSizeF() * scale);
  } else {
    font.setPixelSize(std::max(1, static_cast<int>(font.pixelSize() * scale + 0.5)));
  }
  return font;
}

QFont withWeight(QFont font, QFont::Weight weight) {
  font.setWeight(weight);
  return font;
}

void setTextColor(QLabel* label, const QColor& color) {
  QPalette palette = label->palette();
  palette.setColor(QPalette::WindowText, color);
  label->setPalette(palette);
}

// The first of `candidates` that exists, else the last one (the configured installation).
QString firstExisting(const QStringList& candidates) {
  for (const QString& candidate : candidates) {
    if (QFileInfo::exists(candidate)) {
      return candidate;
    }
  }
  return candidates.last();
}

// One word for the shell: as it is when it is plain, else in single quotes.
QString shellWord(const QString& text) {
  static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9_./:=+-]+$"));
  if (plain.match(text).hasMatch()) {
    return text;
  }
  QString quoted = text;
  quoted.replace(QLatin1Char('\''), QStringLiteral("'\\''"));
  return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// What the helper does, as commands a person runs: for a copy of Tactora without an installed
// helper (a build tree).
QString manualCommands(const QString& rule) {
  return QStringLiteral(
             "sudo install -m 644 %1 /etc/udev/rules.d/\n"
             "sudo udevadm control --reload\n"
             "sudo udevadm trigger --action=change --subsystem-match=input "
             "--subsystem-match=misc")
      .arg(shellWord(rule));
}

}  // namespace

PermissionsWindow::Options PermissionsWindow::defaultOptions(std::function<void()> restart) {
  // A relocated installation keeps its files beside the program (<prefix>/bin/tactora).
  const QDir programDir(QCoreApplication::applicationDirPath());
  const QString prefix = programDir.absoluteFilePath(QStringLiteral(".."));
  Options options;
  // Only an installed helper runs as root; anywhere else "Request" shows the commands instead.
  const std::optional<std::filesystem::path> helper =
      TrustedHelper::find({QDir(prefix)
                               .absoluteFilePath(QStringLiteral(TACTORA_PERMISSION_HELPER_RELATIVE))
                               .toStdString(),
                           TACTORA_PERMISSION_HELPER_PATH});
  if (helper) {
    options.requestProgram = QStringLiteral("pkexec");
    options.requestArguments = {QString::fromStdString(helper->string()),
                                QStringLiteral("install-rule")};
  } else {
    options.manualCommands = manualCommands(QStringLiteral(TACTORA_UDEV_RULE_SOURCE_PATH));
  }
  options.helpURL = QUrl::fromLocalFile(firstExisting(
      {QDir(prefix).absoluteFilePath(QStringLiteral(TACTORA_PERMISSIONS_HELP_RELATIVE)),
       QStringLiteral(TACTORA_PERMISSIONS_HELP_PATH)}));
  options.openURL = [](const QUrl& url) { return QDesktopServices::openUrl(url); };
  options.restart = std::move(restart);
  return options;
}

PermissionsWindow::PermissionsWindow(std::shared_ptr<PermissionMonitor> monitor, Options options,
                                     QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      monitor_(std::move(monitor)),
      options_(std::move(options)) {
  build();
  QPointer<PermissionsWindow> self(this);
  monitor_->setOnChange([self] {
    if (self) {
      self->refreshLabels();
    }
  });
  refreshLabels();
}

PermissionsWindow::~PermissionsWindow() {
  monitor_->stopPolling();
  monitor_->setOnChange({});
}

void PermissionsWindow::build() {
  setWindowTitle(QString::fromUtf8(titleText));
  const QFont base = font();
  const QFont small = scaled(base, smallFontScale);

  auto* stack = new QVBoxLayout(this);
  stack->setContentsMargins(insetPoints, insetPoints, insetPoints, insetPoints);
  stack->setSpacing(itemSpacingPoints);

  auto* title = new QLabel(QString::fromUtf8(headline), this);
  title->setFont(withWeight(base, QFont::Bold));
  stack->addWidget(title);

  // Both rows in one grid, so the names, states and buttons line up. Each row is a name with
  // its state beside it and a line under them saying which file it is about.
  auto* rows = new QGridLayout();
  rows->setHorizontalSpacing(rowSpacingPoints);
  rows->setVerticalSpacing(2);
  const QFont nameFont = withWeight(base, QFont::Medium);
  const QFontMetrics nameMetrics(nameFont);
  const int nameWidth = std::max(
      {nameWidthPoints, nameMetrics.horizontalAdvance(QString::fromUtf8(accessibilityName)),
       nameMetrics.horizontalAdvance(QString::fromUtf8(inputMonitoringName))});
  rows->setColumnMinimumWidth(0, nameWidth);
  rows->setColumnStretch(2, 1);
  const QColor secondary = palette().color(QPalette::PlaceholderText);

  auto addRow = [&](int row, const char* name, const char* detail, QLabel*& status,
                    QPushButton*& request, QPushButton*& help) {
    auto* nameLabel = new QLabel(QString::fromUtf8(name), this);
    nameLabel->setFont(nameFont);
    status = new QLabel(this);
    status->setFont(base);
    auto* detailLabel = new QLabel(QString::fromUtf8(detail), this);
    detailLabel->setFont(small);
    setTextColor(detailLabel, secondary);
    request = new QPushButton(QString::fromUtf8(requestTitle), this);
    help = new QPushButton(QString::fromUtf8(helpTitle), this);
    request->setAutoDefault(false);
    help->setAutoDefault(false);
    // The buttons beside the name and state; the file line under the whole row, so the row fits
    // the window's 460 points.
    rows->addWidget(nameLabel, row, 0);
    rows->addWidget(status, row, 1);
    rows->addWidget(request, row, 3);
    rows->addWidget(help, row, 4);
    rows->addWidget(detailLabel, row + 1, 0, 1, 5);
    connect(request, &QPushButton::clicked, this, &PermissionsWindow::requestGrants);
    connect(help, &QPushButton::clicked, this, &PermissionsWindow::openHelp);
  };
  QPushButton* imHelp = nullptr;
  addRow(0, accessibilityName, accessibilityDetail, axStatusLabel_, axRequestButton_,
         axHelpButton_);
  rows->setRowMinimumHeight(2, itemSpacingPoints - 2 * rows->verticalSpacing());
  addRow(3, inputMonitoringName, inputMonitoringDetail, imStatusLabel_, imRequestButton_, imHelp);
  stack->addLayout(rows);

  stack->addStretch(1);

  auto* noteLabel = new QLabel(QString::fromUtf8(note), this);
  noteLabel->setWordWrap(true);
  noteLabel->setFont(small);
  setTextColor(noteLabel, secondary);
  stack->addWidget(noteLabel);

  restartButton_ = new QPushButton(QString::fromUtf8(restartTitle), this);
  restartButton_->setAutoDefault(false);
  connect(restartButton_, &QPushButton::clicked, this, &PermissionsWindow::restart);
  stack->addWidget(restartButton_, 0, Qt::AlignLeft);

  // Not resizable: the designed size, or more when the desktop's font needs it, so text is never
  // cut off.
  const QSize needed = stack->totalMinimumSize();
  const int width = std::max(windowWidthPoints, needed.width());
  setFixedSize(width, std::max({windowHeightPoints, needed.height(), heightForWidth(width)}));
}

QString PermissionsWindow::statusText(PermissionMonitor::Status status) {
  switch (status) {
    case PermissionMonitor::Status::granted:
      return QStringLiteral("Granted");
    case PermissionMonitor::Status::denied:
      return QStringLiteral("Not granted");
    case PermissionMonitor::Status::notDetermined:
      return QStringLiteral("Not requested yet");
  }
  return QStringLiteral("Not requested yet");
}

QColor PermissionsWindow::statusColor(PermissionMonitor::Status status, const QPalette& palette) {
  // Green and red that stay legible on the palette's window colour: deeper on light themes,
  // brighter on dark ones.
  const bool dark = palette.color(QPalette::Window).lightness() < 128;
  switch (status) {
    case PermissionMonitor::Status::granted:
      return dark ? QColor(0x3f, 0xb9, 0x50) : QColor(0x1a, 0x7f, 0x37);
    case PermissionMonitor::Status::denied:
      return dark ? QColor(0xf8, 0x51, 0x49) : QColor(0xcf, 0x22, 0x2e);
    case PermissionMonitor::Status::notDetermined:
      return palette.color(QPalette::PlaceholderText);
  }
  return palette.color(QPalette::PlaceholderText);
}

void PermissionsWindow::refreshLabels() {
  const QPalette& windowPalette = palette();
  const auto write = [&](QLabel* label, PermissionMonitor::Status status) {
    label->setText(statusText(status));
    setTextColor(label, statusColor(status, windowPalette));
  };
  write(axStatusLabel_, monitor_->accessibility());
  write(imStatusLabel_, monitor_->inputMonitoring());
}

void PermissionsWindow::showPermissions() {
  if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
    QRect frame = frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    move(frame.topLeft());
  }
  show();
  raise();
  activateWindow();
}

void PermissionsWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  monitor_->refresh();
  monitor_->startPolling(1.0);
}

void PermissionsWindow::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  monitor_->stopPolling();
}

void PermissionsWindow::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::PaletteChange && axStatusLabel_ != nullptr) {
    refreshLabels();
  }
}

void PermissionsWindow::requestGrants() {
  if (requestProcess_) {
    return;  // one request at a time; its end re-reads both grants
  }
  if (options_.requestProgram.isEmpty()) {
    showManualCommands();
    return;
  }
  axRequestButton_->setEnabled(false);
  imRequestButton_->setEnabled(false);
  auto* process = new QProcess(this);
  process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
  process->setStandardOutputFile(QProcess::nullDevice());
  requestProcess_ = process;
  connect(process, &QProcess::finished, this, [this, process](int code, QProcess::ExitStatus how) {
    const QString command = process->program();
    process->deleteLater();
    if (how == QProcess::CrashExit) {
      finishRequest(QStringLiteral("%1 crashed").arg(command));
    } else if (code == pkexecDismissed || code == pkexecNotAuthorized) {
      logger.debug("permission request dismissed or not authorised (%{public}s exited with %d)",
                   {command.toStdString(), code});
      finishRequest({});
    } else if (code != 0) {
      finishRequest(QStringLiteral("%1 exited with status %2").arg(command).arg(code));
    } else {
      finishRequest({});
    }
  });
  connect(process, &QProcess::errorOccurred, this, [this, process](QProcess::ProcessError error) {
    if (error == QProcess::FailedToStart) {
      const QString failure =
          QStringLiteral("%1: %2").arg(process->program(), process->errorString());
      process->deleteLater();
      finishRequest(failure);
    }
  });
  process->start(options_.requestProgram, options_.requestArguments);
}

void PermissionsWindow::showManualCommands() {
  delete commandsBox_.data();
  auto* box = new QMessageBox(QMessageBox::Information, QString::fromUtf8(titleText),
                              QString::fromUtf8(manualIntro), QMessageBox::Ok, this);
  box->setInformativeText(options_.manualCommands);
  for (QLabel* label : box->findChildren<QLabel*>()) {
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The commands one per line, as a terminal shows them, never broken at a hyphen.
    if (label->text() == options_.manualCommands) {
      label->setWordWrap(false);
      label->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    }
  }
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  commandsBox_ = box;
  box->show();
}

void PermissionsWindow::finishRequest(const QString& failure) {
  if (!failure.isEmpty()) {
    logger.error("permission helper failed: %{public}s", {failure.toStdString()});
  }
  requestProcess_.clear();
  axRequestButton_->setEnabled(true);
  imRequestButton_->setEnabled(true);
  monitor_->refresh();
}

void PermissionsWindow::openHelp() {
  if (!options_.helpURL.isValid() || !options_.openURL) {
    return;
  }
  if (!options_.openURL(options_.helpURL)) {
    logger.error("cannot open the permissions guide %{public}s",
                 {options_.helpURL.toString().toStdString()});
  }
}

void PermissionsWindow::restart() {
  if (options_.restart) {
    options_.restart();
  }
}

}  // namespace tactora
