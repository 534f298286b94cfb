#include "Tactora/settings/GeneralTab.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <QVBoxLayout>
#include <system_error>

#include "Platform/Updater.h"
#include "Tactora/settings/FormSection.h"
#include "Tactora/updates/BuildVersion.h"

// The application icon's fallback lives in this static library's resources.
static void initialiseSettingsResources() {
  Q_INIT_RESOURCE(SettingsIcons);
}

namespace tactora::settings {

namespace {

constexpr int iconSize = 56;

QIcon applicationIcon() {
  initialiseSettingsResources();
  return QIcon::fromTheme(QStringLiteral("com.vellumworks.Tactora"),
                          QIcon(QStringLiteral(":/tactora-settings/com.vellumworks.Tactora.svg")));
}

}  // namespace

QString GeneralTab::versionText() {
  const QString version = QString::fromStdString(BuildVersion::shortVersion());
  const QString build = QString::fromStdString(BuildVersion::buildNumber());
  // A build made without a build number shows no empty brackets.
  return build.isEmpty() ? QStringLiteral("Version %1").arg(version)
                         : QStringLiteral("Version %1 (%2)").arg(version, build);
}

GeneralTab::GeneralTab(const SettingsContext& context, QWidget* parent)
    : QWidget(parent), context_(context) {
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(16, 12, 16, 16);
  column->setSpacing(14);
  column->addWidget(createAboutSection());
  column->addWidget(createGesturesSection());
  column->addWidget(createStartupSection());
  std::error_code error;
  if (!context_.acknowledgementsPath.empty() &&
      std::filesystem::is_regular_file(context_.acknowledgementsPath, error)) {
    column->addWidget(createLegalSection());
  }
  column->addStretch(1);

  // The tray's switch saves too; the tab follows every save for as long as it lives.
  subscription_ = context_.configStore->addObserver(
      [this](const Configuration& configuration) { showConfiguration(configuration); });
  showConfiguration(*context_.configStore->current());
}

// The application, its version and the update check.
QWidget* GeneralTab::createAboutSection() {
  auto* about = new FormSection(QString(), this);
  auto* identity = new QHBoxLayout;
  identity->setSpacing(12);
  auto* icon = new QLabel(about);
  icon->setPixmap(applicationIcon().pixmap(iconSize, iconSize));
  icon->setFixedSize(iconSize, iconSize);
  icon->setAccessibleName(QStringLiteral("Tactora icon"));
  auto* names = new QVBoxLayout;
  names->setSpacing(2);
  auto* name = new QLabel(QStringLiteral("Tactora"), about);
  QFont headline = name->font();
  headline.setBold(true);
  headline.setPointSizeF(headline.pointSizeF() * 1.25);
  name->setFont(headline);
  version_ = new QLabel(versionText(), about);
  FormSection::makeCaption(version_);
  version_->setWordWrap(false);
  version_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  names->addStretch(1);
  names->addWidget(name);
  names->addWidget(version_);
  names->addStretch(1);
  identity->addWidget(icon);
  identity->addLayout(names, 1);
  if (context_.updater != nullptr) {
    checkNow_ = new QPushButton(QStringLiteral("Check for Updates\u2026"), about);
    identity->addWidget(checkNow_, 0, Qt::AlignVCenter);
    connect(checkNow_, &QPushButton::clicked, this,
            [this] { context_.updater->checkForUpdates(); });
  }
  about->body()->addLayout(identity);
  if (context_.updater != nullptr) {
    checkAutomatically_ = new QCheckBox(QStringLiteral("Check for updates automatically"), about);
    checkAutomatically_->setChecked(context_.updater->automaticallyChecksForUpdates());
    about->body()->addWidget(checkAutomatically_);
    connect(checkAutomatically_, &QCheckBox::toggled, this,
            [this](bool on) { context_.updater->setAutomaticallyChecksForUpdates(on); });
  }
  return about;
}

QWidget* GeneralTab::createGesturesSection() {
  auto* gestures = new FormSection(QStringLiteral("Gestures"), this);
  enabled_ = new QCheckBox(QStringLiteral("Gestures enabled"), gestures);
  overlay_ = new QCheckBox(QStringLiteral("Show gesture overlay"), gestures);
  gestures->body()->addWidget(enabled_);
  gestures->body()->addWidget(overlay_);
  QLabel* caption = gestures->addCaption(QStringLiteral(
      "The overlay briefly names each gesture as it fires \u2014 handy while learning them."));
  caption->setContentsMargins(overlay_->style()->pixelMetric(QStyle::PM_IndicatorWidth) + 6, 0, 0,
                              0);
  connect(enabled_, &QCheckBox::toggled, this, [this](bool on) {
    saveConfiguration([on](Configuration& configuration) { configuration.enabled = on; });
  });
  connect(overlay_, &QCheckBox::toggled, this, [this](bool on) {
    saveConfiguration(
        [on](Configuration& configuration) { configuration.tuning.showGestureHUD = on; });
  });
  return gestures;
}

QWidget* GeneralTab::createStartupSection() {
  auto* startup = new FormSection(QStringLiteral("Startup"), this);
  launchAtLogin_ = new QCheckBox(QStringLiteral("Launch at login"), startup);
  startup->body()->addWidget(launchAtLogin_);
  connect(launchAtLogin_, &QCheckBox::toggled, this, &GeneralTab::launchAtLoginToggled);
  return startup;
}

QWidget* GeneralTab::createLegalSection() {
  auto* legal = new FormSection(QStringLiteral("Legal"), this);
  licenses_ = new QPushButton(QStringLiteral("Open-Source Licenses"), legal);
  auto* row = new QHBoxLayout;
  row->addWidget(licenses_);
  row->addStretch(1);
  legal->body()->addLayout(row);
  connect(licenses_, &QPushButton::clicked, this, [this] {
    Q_EMIT documentRequested(
        QUrl::fromLocalFile(QString::fromStdString(context_.acknowledgementsPath.string())));
  });
  return legal;
}

void GeneralTab::showLaunchAtLogin(bool on) {
  const QSignalBlocker blocker(launchAtLogin_);
  launchAtLogin_->setChecked(on);
}

void GeneralTab::showConfiguration(const Configuration& configuration) {
  const QSignalBlocker enabledBlocker(enabled_);
  const QSignalBlocker overlayBlocker(overlay_);
  enabled_->setChecked(configuration.enabled);
  overlay_->setChecked(configuration.tuning.showGestureHUD);
}

template <typename Change>
void GeneralTab::saveConfiguration(Change change) {
  Configuration configuration = *context_.configStore->current();
  change(configuration);
  context_.configStore->save(configuration);
}

}  // namespace tactora::settings
