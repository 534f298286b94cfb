#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>

namespace tactora::shell {

// One application per user session: the first instance owns the well-known name on the session
// bus and answers `ShowSettings`; a later start asks it to show its settings window and exits.
class SingleInstance final : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "com.vellumworks.Tactora")

 public:
  static constexpr const char* serviceName = "com.vellumworks.Tactora";
  static constexpr const char* objectPath = "/com/vellumworks/Tactora";
  static constexpr const char* interfaceName = "com.vellumworks.Tactora";

  enum class Claim {
    owner,           // this process is the one instance
    alreadyRunning,  // another process owns the name
    noBus,           // no session bus: run without the one-instance guarantee
  };

  explicit SingleInstance(QDBusConnection connection);
  ~SingleInstance() override;

  // Exports the object and takes the name unless another process holds it.
  Claim claim();

  // Asks the running instance to show its settings window; false (with the reason in `error`)
  // when it does not answer in time.
  static bool askRunningToShowSettings(const QDBusConnection& connection, QString* error);

 public Q_SLOTS:
  Q_SCRIPTABLE void ShowSettings();

 Q_SIGNALS:
  // Another start asked for the settings window.
  void showSettingsRequested();

 private:
  QDBusConnection connection_;
  bool exported_ = false;
};

}  // namespace tactora::shell
