#include "Tactora/updates/check/UpdateAlert.h"

#include <QDesktopServices>
#include <QLabel>
#include <QPushButton>

namespace tactora {

namespace {

const char* const boxTitle = "Tactora Update";

}  // namespace

UpdateAlert::UpdateAlert(std::function<bool(const QUrl&)> openURL)
    : openURL_(openURL ? std::move(openURL)
                       : [](const QUrl& url) { return QDesktopServices::openUrl(url); }) {}

UpdateAlert::~UpdateAlert() {
  delete box_.data();
}

QMessageBox* UpdateAlert::present(QMessageBox::Icon icon, const QString& text,
                                  const QString& details) {
  delete box_.data();
  auto* box = new QMessageBox(icon, QString::fromUtf8(boxTitle), text, QMessageBox::NoButton);
  box->setInformativeText(details);
  // Versions, addresses and error texts come from the feed and its server: shown as they are,
  // never as markup (a link of any scheme would be clickable in rich text).
  for (QLabel* label : box->findChildren<QLabel*>()) {
    label->setTextFormat(Qt::PlainText);
  }
  box->setAttribute(Qt::WA_DeleteOnClose);
  box->setWindowModality(Qt::NonModal);
  box_ = box;
  return box;
}

void UpdateAlert::showUpdateFound(const Appcast::Item& item, const std::string& currentVersion) {
  QMessageBox* box = present(
      QMessageBox::Information,
      QStringLiteral("Tactora %1 is available").arg(QString::fromStdString(item.displayVersion())),
      QStringLiteral("You have %1. Your package manager installs the new version; its release "
                     "page says what changed.")
          .arg(QString::fromStdString(currentVersion)));
  if (item.releasePage) {
    const QUrl page(QString::fromStdString(*item.releasePage));
    QPushButton* open =
        box->addButton(QStringLiteral("Open Release Page"), QMessageBox::AcceptRole);
    QObject::connect(open, &QPushButton::clicked, box, [this, page] { openURL_(page); });
    box->setDefaultButton(open);
  }
  box->addButton(QStringLiteral("Later"), QMessageBox::RejectRole);
  box->show();
}

void UpdateAlert::showUpdateNotFound(const std::string& currentVersion) {
  QMessageBox* box = present(QMessageBox::Information, QStringLiteral("You’re up to date"),
                             QStringLiteral("Tactora %1 is the newest version available.")
                                 .arg(QString::fromStdString(currentVersion)));
  box->addButton(QMessageBox::Ok);
  box->show();
}

void UpdateAlert::showUpdaterError(const std::string& description) {
  QMessageBox* box = present(QMessageBox::Warning, QStringLiteral("The update check failed"),
                             QString::fromStdString(description));
  box->addButton(QMessageBox::Ok);
  box->show();
}

}  // namespace tactora
