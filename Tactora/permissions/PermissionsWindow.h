#pragma once

#include <QColor>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QWidget>
#include <functional>
#include <memory>

#include "Tactora/PermissionMonitor.h"

class QLabel;
class QMessageBox;
class QPalette;
class QProcess;
class QPushButton;

namespace tactora {

// The small window that shows the two grants, installs the udev rule that gives them, opens the
// guide that explains them, and restarts the program so its devices are opened again. Created
// once at launch and kept: closing only hides it. While it is shown the monitor polls every
// second; hiding it stops the poll.
class PermissionsWindow final : public QWidget {
 public:
  struct Options {
    // The command "Request" runs (pkexec and the helper); started without waiting for it.
    QString requestProgram;
    QStringList requestArguments;
    // Without a program: the commands "Request" shows a person instead.
    QString manualCommands;
    // The permissions guide "Open Help" shows, and how it is opened.
    QUrl helpURL;
    std::function<bool(const QUrl&)> openURL;
    // "Restart Tactora": start the program again and leave through the application's own
    // termination path.
    std::function<void()> restart;
  };

  // pkexec with the installed helper (or, without one, the commands to run by hand), the
  // installed guide, the desktop's opener; `restart` as given (see Relauncher).
  static Options defaultOptions(std::function<void()> restart);

  PermissionsWindow(std::shared_ptr<PermissionMonitor> monitor, Options options,
                    QWidget* parent = nullptr);
  ~PermissionsWindow() override;
  PermissionsWindow(const PermissionsWindow&) = delete;
  PermissionsWindow& operator=(const PermissionsWindow&) = delete;

  // Writes both status labels from the monitor's current values.
  void refreshLabels();
  // Centres the window on the screen under it and brings it to the front.
  void showPermissions();

  void requestGrants();
  void openHelp();
  void restart();

  static QString statusText(PermissionMonitor::Status status);
  static QColor statusColor(PermissionMonitor::Status status, const QPalette& palette);

  // The parts a test reads and clicks.
  QLabel* accessibilityStatusLabel() const { return axStatusLabel_; }
  QLabel* inputMonitoringStatusLabel() const { return imStatusLabel_; }
  QPushButton* accessibilityRequestButton() const { return axRequestButton_; }
  QPushButton* inputMonitoringRequestButton() const { return imRequestButton_; }
  QPushButton* accessibilityHelpButton() const { return axHelpButton_; }
  QPushButton* restartButton() const { return restartButton_; }
  bool isRequestRunning() const { return !requestProcess_.isNull(); }
  QMessageBox* manualCommandsBox() const { return commandsBox_.data(); }

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void build();
  void finishRequest(const QString& failure);
  void showManualCommands();

  std::shared_ptr<PermissionMonitor> monitor_;
  Options options_;
  QLabel* axStatusLabel_ = nullptr;
  QLabel* imStatusLabel_ = nullptr;
  QPushButton* axRequestButton_ = nullptr;
  QPushButton* imRequestButton_ = nullptr;
  QPushButton* axHelpButton_ = nullptr;
  QPushButton* restartButton_ = nullptr;
  QPointer<QProcess> requestProcess_;
  QPointer<QMessageBox> commandsBox_;
};

}  // namespace tactora
