#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QUrl>
#include <functional>
#include <string>

#include "Tactora/updates/check/UpdateUserDriver.h"

namespace tactora {

// The update check's messages as small non-modal boxes: a newer version with a button that opens
// its release page, "up to date" and failures. One box at a time; a new message replaces the
// one shown.
class UpdateAlert final : public UpdateUserDriver {
 public:
  // Opens the release page; the desktop's opener unless a test gives another.
  explicit UpdateAlert(std::function<bool(const QUrl&)> openURL = {});
  ~UpdateAlert() override;
  UpdateAlert(const UpdateAlert&) = delete;
  UpdateAlert& operator=(const UpdateAlert&) = delete;

  void showUpdateFound(const Appcast::Item& item, const std::string& currentVersion) override;
  void showUpdateNotFound(const std::string& currentVersion) override;
  void showUpdaterError(const std::string& description) override;

  // The box on screen, if any (tests read and click it).
  QMessageBox* currentBox() const { return box_.data(); }

 private:
  QMessageBox* present(QMessageBox::Icon icon, const QString& text, const QString& details);

  std::function<bool(const QUrl&)> openURL_;
  QPointer<QMessageBox> box_;
};

}  // namespace tactora
